// vexhook.dll: delivers the global keys F7, F8 and F9 to one window as WM_CAPTURED_KEY, whichever
// window has the keyboard focus. A low-level keyboard hook sees every key of the desktop and
// passes each one on unchanged.
//
// The hook runs on a thread of its own with nothing but a message loop. The system calls a
// low-level hook on the thread that installed it and every keystroke of the desktop waits for
// its answer; Windows silently removes a hook that does not answer within
// LowLevelHooksTimeout. The program's window thread blocks now and then (opening a camera,
// listing devices), so it must not be the one to answer.
#include <windows.h>

#include <atomic>

#include "captured_key.h"

namespace {

std::atomic<HWND> g_target{nullptr};
HANDLE g_thread = nullptr;  // the hook thread, while capture is on
DWORD g_threadId = 0;
// Whether F7, F8 and F9 are held: a held key repeats its key-down, and one press is one action.
// Touched by the hook thread only.
bool g_held[3] = {false, false, false};

int KeySlot(DWORD vk) {
  if (vk == VK_F8) return 0;
  if (vk == VK_F9) return 1;
  if (vk == VK_F7) return 2;
  return -1;
}

LRESULT CALLBACK LowLevelKeyboardProc(int code, WPARAM message, LPARAM data) {
  if (code == HC_ACTION) {
    const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(data);
    const int slot = KeySlot(key->vkCode);
    if (slot >= 0) {
      const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
      // Posted, not sent: the hook answers at once, whatever the window is doing.
      if (down && !g_held[slot]) PostMessageW(g_target.load(), WM_CAPTURED_KEY, key->vkCode, 0);
      g_held[slot] = down;
    }
  }
  return CallNextHookEx(nullptr, code, message, data);
}

struct HookStart {
  HMODULE self;
  HANDLE ready;         // set once the hook is installed or has failed
  bool hooked = false;  // written before `ready` is set
};

DWORD WINAPI HookThread(void* parameter) {
  auto* start = static_cast<HookStart*>(parameter);
  // The thread keeps the library loaded while its code runs, and lets go as it ends.
  HMODULE pinned = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&HookThread), &pinned);
  MSG msg;
  PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // the queue for WM_QUIT
  HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, LowLevelKeyboardProc, start->self, 0);
  start->hooked = hook != nullptr;
  SetEvent(start->ready);  // `start` belongs to the caller from here on
  if (hook) {
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    UnhookWindowsHookEx(hook);
  }
  if (pinned) FreeLibraryAndExitThread(pinned, 0);
  return 0;
}

}  // namespace

// Starts delivering F7, F8 and F9 to `window`; `self` is this library's module handle. Returns
// non-zero when capture is on. A second call moves delivery to the new window.
extern "C" BOOLEAN WINAPI EnableKeyboardCapture(HWND window, HMODULE self) {
  if (!IsWindow(window)) return FALSE;
  g_target = window;
  if (g_thread) return TRUE;
  HookStart start{self, CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  if (!start.ready) return FALSE;
  g_thread = CreateThread(nullptr, 0, HookThread, &start, 0, &g_threadId);
  if (g_thread) {
    // Keys are answered before anything else the process does.
    SetThreadPriority(g_thread, THREAD_PRIORITY_HIGHEST);
    WaitForSingleObject(start.ready, INFINITE);
    if (!start.hooked) {
      WaitForSingleObject(g_thread, INFINITE);
      CloseHandle(g_thread);
      g_thread = nullptr;
    }
  }
  CloseHandle(start.ready);
  return g_thread != nullptr;
}

// Ends the capture and waits for the hook thread to finish; call it before releasing the
// library (a thread cannot be waited for while the library is being unloaded).
extern "C" void WINAPI DisableKeyboardCapture() {
  if (!g_thread) return;
  PostThreadMessageW(g_threadId, WM_QUIT, 0, 0);
  WaitForSingleObject(g_thread, INFINITE);
  CloseHandle(g_thread);
  g_thread = nullptr;
  g_target = nullptr;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
  // Nothing to do at unload: while the hook thread runs it holds the library, so a release
  // without DisableKeyboardCapture leaves it loaded rather than running freed code.
  return TRUE;
}
