// wininspect: prints every visible top-level window of this Wine/Windows session, one line
// per window and one indented line per child control, as UTF-8:
//   window <hwnd> pid=<pid> class="<class>" title="<title>" rect=<l>,<t>,<r>,<b>
//     child <hwnd> id=<id> class="<class>" text="<text>" rect=... visible=<0|1> enabled=<0|1>
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/utf8.h"

namespace {

std::string Text(HWND hwnd) {
  wchar_t buffer[1024] = {};
  // WM_GETTEXT reaches controls of other processes too.
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000, nullptr);
  return platform::WideToUtf8(buffer);
}

std::string ClassOf(HWND hwnd) {
  wchar_t buffer[256] = {};
  GetClassNameW(hwnd, buffer, 256);
  return platform::WideToUtf8(buffer);
}

std::string RectOf(HWND hwnd) {
  RECT rc = {};
  GetWindowRect(hwnd, &rc);
  return std::to_string(rc.left) + "," + std::to_string(rc.top) + "," + std::to_string(rc.right) + "," +
         std::to_string(rc.bottom);
}

BOOL CALLBACK PrintChild(HWND child, LPARAM) {
  std::printf("  child %p id=%d class=\"%s\" text=\"%s\" rect=%s visible=%d enabled=%d\n", static_cast<void*>(child),
              GetDlgCtrlID(child), ClassOf(child).c_str(), Text(child).c_str(), RectOf(child).c_str(),
              IsWindowVisible(child) ? 1 : 0, IsWindowEnabled(child) ? 1 : 0);
  return TRUE;
}

BOOL CALLBACK PrintWindow(HWND hwnd, LPARAM) {
  if (!IsWindowVisible(hwnd)) return TRUE;
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  std::printf("window %p pid=%lu class=\"%s\" title=\"%s\" rect=%s\n", static_cast<void*>(hwnd),
              static_cast<unsigned long>(pid), ClassOf(hwnd).c_str(), Text(hwnd).c_str(), RectOf(hwnd).c_str());
  EnumChildWindows(hwnd, PrintChild, 0);
  return TRUE;
}

}  // namespace

int wmain() {
  EnumWindows(PrintWindow, 0);
  std::fflush(stdout);
  return 0;
}
