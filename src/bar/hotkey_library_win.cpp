#include "bar/hotkey_library_win.h"

#include "framework/message_box.h"

namespace {
const wchar_t kHotkeyFailedText[] = L"注册系统热键失败，您无法使用热键操作！";
using EnableKeyboardCaptureFn = BOOLEAN(WINAPI*)(HWND window, HMODULE self);
using DisableKeyboardCaptureFn = void(WINAPI*)();
}  // namespace

HMODULE LoadHotkeyLibrary(HWND bar) {
  HMODULE library = LoadLibraryW(L"vexhook.dll");
  if (!library) {
    ShowMessageBox(bar, kHotkeyFailedText);
    return nullptr;
  }
  const auto enable = reinterpret_cast<EnableKeyboardCaptureFn>(
      reinterpret_cast<void*>(GetProcAddress(library, "EnableKeyboardCapture")));
  if (!enable) {
    ShowMessageBox(bar, kHotkeyFailedText);
    FreeLibrary(library);
    return nullptr;
  }
  if (!enable(bar, library)) ShowMessageBox(bar, kHotkeyFailedText);
  return library;
}

void ReleaseHotkeyLibrary(HMODULE library) {
  if (!library) return;
  // The library's hook thread ends here; it cannot be waited for while the library unloads.
  const auto disable = reinterpret_cast<DisableKeyboardCaptureFn>(
      reinterpret_cast<void*>(GetProcAddress(library, "DisableKeyboardCapture")));
  if (disable) disable();
  FreeLibrary(library);
}
