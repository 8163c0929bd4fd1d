#include "bar/bar_rules.h"

#include "engine/run_event.h"

const wchar_t kExitRefusedText[] = L"节目录制中，请先停止录制再退出！";
const wchar_t kFullScreenReadyText[] = L"就绪 - 全屏模式";

namespace {
const int32_t kHiddenStrip = 2;         // pixels of a hidden bar left on screen
const int32_t kVisibleTopAtLeast = -4;  // a bar this high or lower counts as visible
const int32_t kHiddenTopBelow = -10;    // a bar higher than this counts as hidden
const uintptr_t kKeyF7 = 0x76;
const uintptr_t kKeyF8 = 0x77;
const uintptr_t kKeyF9 = 0x78;
}  // namespace

int32_t CentredBarLeft(int32_t screen_width, int32_t window_width) { return screen_width / 2 - window_width / 2; }

BarRect CloseButtonPlace(const BarRect& client, int32_t button_width, int32_t button_height, int32_t inset) {
  const int32_t left = client.right - button_width - inset;
  const int32_t top = client.top + inset;
  return {left, top, left + button_width, top + button_height};
}

std::vector<int32_t> PlanSlide(const BarRect& window, bool hide, int32_t hide_after_start, bool remuxing) {
  if (hide_after_start == 0 || (hide && remuxing)) return {};
  const int32_t target = hide ? window.top - window.bottom + kHiddenStrip : 0;
  const int32_t step = (target - window.top) / kSlideSteps;  // C++ division rounds toward zero
  std::vector<int32_t> tops;
  int32_t y = window.top;
  for (int i = 0; i < kSlideSteps; ++i) tops.push_back(y += step);
  tops.push_back(target);
  return tops;
}

bool ShouldHideBar(int32_t cursor_x, int32_t cursor_y, const BarRect& window, bool run_active) {
  return run_active && !window.Contains(cursor_x, cursor_y) && window.top >= kVisibleTopAtLeast;
}

bool ShouldShowBar(const BarRect& window, bool run_active) { return run_active && window.top < kHiddenTopBelow; }

bool MayExit(int32_t run_state) { return run_state != RUN_PROGRESS; }

CapturedKeyAction ActionForCapturedKey(uintptr_t virtual_key) {
  if (virtual_key == kKeyF8) return CapturedKeyAction::kStartOrStop;
  if (virtual_key == kKeyF9) return CapturedKeyAction::kToggleCamera;
  if (virtual_key == kKeyF7) return CapturedKeyAction::kPauseOrResume;
  return CapturedKeyAction::kNone;
}

AreaModeStep AreaModeAfterPress(bool area_chosen) {
  if (area_chosen) return {false, kFullScreenReadyText};
  return {true, L"就绪 - 区域模式"};
}
