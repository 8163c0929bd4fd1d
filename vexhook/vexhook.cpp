// vexhook.dll: delivers the global keys F8 and F9 to one window as WM_CAPTURED_KEY, whichever
// window has the keyboard focus. A low-level keyboard hook sees every key of the desktop and
// passes each one on unchanged; it runs on the thread that enabled it, which has a message
// loop. Capture ends when the library is released.
#include <windows.h>

#include "captured_key.h"

namespace {

HHOOK g_hook = nullptr;
HWND g_target = nullptr;
// Whether F8 and F9 are held: a held key repeats its key-down, and one press is one action.
bool g_held[2] = {false, false};

int KeySlot(DWORD vk) {
  if (vk == VK_F8) return 0;
  if (vk == VK_F9) return 1;
  return -1;
}

LRESULT CALLBACK LowLevelKeyboardProc(int code, WPARAM message, LPARAM data) {
  if (code == HC_ACTION) {
    const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(data);
    const int slot = KeySlot(key->vkCode);
    if (slot >= 0) {
      const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
      // Posted, not sent: the hook must return quickly, whatever the window is doing.
      if (down && !g_held[slot]) PostMessageW(g_target, WM_CAPTURED_KEY, key->vkCode, 0);
      g_held[slot] = down;
    }
  }
  return CallNextHookEx(g_hook, code, message, data);
}

}  // namespace

// Starts delivering F8 and F9 to `window`; `self` is this library's module handle. Returns
// non-zero when capture is on. A second call moves delivery to the new window.
extern "C" BOOLEAN WINAPI EnableKeyboardCapture(HWND window, HMODULE self) {
  if (!IsWindow(window)) return FALSE;
  g_target = window;
  if (!g_hook) g_hook = SetWindowsHookExW(WH_KEYBOARD_LL, LowLevelKeyboardProc, self, 0);
  return g_hook != nullptr;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  // Released with FreeLibrary (reserved is null then): the hook goes with the library. At
  // process exit the system removes it.
  if (reason == DLL_PROCESS_DETACH && !reserved && g_hook) {
    UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
  }
  return TRUE;
}
