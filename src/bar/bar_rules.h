#pragma once
// The control bar's rules that need no window: where it sits, how it slides away and back
// while a run is active, when it may close, and what its keys and area button do.
#include <cstdint>
#include <string>
#include <vector>

// Screen coordinates; left and top inclusive, right and bottom exclusive.
struct BarRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  bool Contains(int32_t x, int32_t y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// The bar's left edge when centred on a screen: each half rounded down on its own.
int32_t CentredBarLeft(int32_t screen_width, int32_t window_width);

// The close button's place in the bar's client area: top right corner, `inset` pixels in
// (4 at 100 %).
BarRect CloseButtonPlace(const BarRect& client, int32_t button_width, int32_t button_height, int32_t inset = 4);

constexpr int kSlideSteps = 10;
constexpr int kSlideStepPauseMs = 20;  // after each step, not after the final placement

// The tops the bar passes through when it slides: kSlideSteps equal steps (rounded toward
// zero), then the target itself. Hiding leaves 2 pixels on screen; showing ends at 0. Empty
// when the bar does not move: sliding is off, or it would hide during the copy run.
std::vector<int32_t> PlanSlide(const BarRect& window, bool hide, int32_t hide_after_start, bool remuxing);

// Before any message is handled: slide away when the cursor has left the visible bar
// during a run.
bool ShouldHideBar(int32_t cursor_x, int32_t cursor_y, const BarRect& window, bool run_active);
// On a mouse move over the strip that stays on screen: slide back during a run.
bool ShouldShowBar(const BarRect& window, bool run_active);

// Closing is refused once a run has reported progress.
bool MayExit(int32_t run_state);
extern const wchar_t kExitRefusedText[];

enum class CapturedKeyAction { kNone, kStartOrStop, kToggleCamera, kPauseOrResume };
CapturedKeyAction ActionForCapturedKey(uintptr_t virtual_key);

// The area-mode button switches between the whole screen and a dragged area.
struct AreaModeStep {
  bool show_overlay;    // let the user drag a new area
  std::wstring status;  // green status text
};
AreaModeStep AreaModeAfterPress(bool area_chosen);
extern const wchar_t kFullScreenReadyText[];
