#include "framework/dpi_win.h"

namespace {

template <typename Function>
Function User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using SetDialogDpiChangeBehaviorFunction = BOOL(WINAPI*)(HWND, int, int);
constexpr int kDialogDpiChangeDisableAll = 0x0001;  // DDC_DISABLE_ALL

}  // namespace

int SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi;
}

int WindowDpi(HWND window) {
  static const auto get_dpi_for_window = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
  if (get_dpi_for_window && window) {
    const UINT dpi = get_dpi_for_window(window);
    if (dpi != 0) return static_cast<int>(dpi);
  }
  return SystemDpi();
}

void KeepOwnLayoutOnDpiChange(HWND dialog) {
  static const auto set_behaviour = User32Function<SetDialogDpiChangeBehaviorFunction>("SetDialogDpiChangeBehavior");
  if (set_behaviour) set_behaviour(dialog, kDialogDpiChangeDisableAll, kDialogDpiChangeDisableAll);
}

DpiChange ReadDpiChange(WPARAM wparam, LPARAM lparam) {
  DpiChange change{LOWORD(wparam), {}};
  if (lparam) change.suggested = *reinterpret_cast<const RECT*>(lparam);
  return change;
}
