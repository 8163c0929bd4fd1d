// wininspect: prints every visible top-level window of this Wine/Windows session, one line
// per window and one indented line per child control, as UTF-8:
//   window <hwnd> pid=<pid> class="<class>" title="<title>" rect=<l>,<t>,<r>,<b>
//     child <hwnd> id=<id> class="<class>" text="<text>" rect=... visible=<0|1> enabled=<0|1>
// wininspect wait PREFIX SECONDS [CLASS]: waits, polling every 20 ms, until a window or
// control's text starts with PREFIX; prints that text and exits 0, or exits 1 when the time
// is up. One process polling is quick enough to time what a window shows. With CLASS only
// windows of that class are asked, so a program that is busy elsewhere cannot hold it up.
// wininspect shown PREFIX SECONDS: waits until a visible top-level window's title starts with
// PREFIX, then until none does; prints the milliseconds between, or exits 1 when the time is
// up. Titles are read without messages, so a busy program cannot delay the measurement.
// wininspect dpichange TITLE DPI: sends the top-level window titled TITLE the message that its
// monitor's scale changed to DPI (WM_DPICHANGED, without a suggested rectangle).
// wininspect awareness TITLE: prints the DPI awareness of the top-level window titled TITLE
// (unaware, system, per-monitor, per-monitor-v2).
// wininspect resources PID: prints what the process holds, for leak checks over many runs:
//   handles=<n> threads=<n>
// wininspect monitors: prints the display monitors as the system reports them, one a line:
//   monitor <l>,<t>,<r>,<b> primary=<0|1>
#include <windows.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

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

struct TextSearch {
  std::wstring prefix;
  std::wstring found;
  std::wstring window_class;  // empty: any
};

BOOL CALLBACK FindText(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<TextSearch*>(param);
  wchar_t buffer[1024] = {};
  if (!search->window_class.empty()) {
    GetClassNameW(hwnd, buffer, 1024);
    if (search->window_class != buffer) return TRUE;
    buffer[0] = L'\0';
  }
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000, nullptr);
  if (std::wstring(buffer).rfind(search->prefix, 0) == 0) {
    search->found = buffer;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK FindTextInWindow(HWND hwnd, LPARAM param) {
  if (!IsWindowVisible(hwnd)) return TRUE;
  if (!FindText(hwnd, param)) return FALSE;
  EnumChildWindows(hwnd, FindText, param);
  return reinterpret_cast<TextSearch*>(param)->found.empty();
}

BOOL CALLBACK FindTitle(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<TextSearch*>(param);
  wchar_t title[1024] = {};
  if (!IsWindowVisible(hwnd) || !GetWindowTextW(hwnd, title, 1024)) return TRUE;
  if (std::wstring(title).rfind(search->prefix, 0) != 0) return TRUE;
  search->found = title;
  return FALSE;
}

// Polls every 20 ms until a text starting with `prefix` is shown (or, with `shown` false, no
// longer shown); false when the deadline passes.
bool PollUntil(WNDENUMPROC finder, const std::wstring& prefix, bool shown, ULONGLONG deadline,
               std::wstring* found = nullptr, const std::wstring& window_class = {}) {
  while (GetTickCount64() < deadline) {
    TextSearch search{prefix, {}, window_class};
    EnumWindows(finder, reinterpret_cast<LPARAM>(&search));
    if (found) *found = search.found;
    if (search.found.empty() != shown) return true;
    Sleep(20);
  }
  return false;
}

int WaitForText(const std::wstring& prefix, double seconds, const std::wstring& window_class) {
  std::wstring found;
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
  if (!PollUntil(FindTextInWindow, prefix, true, deadline, &found, window_class)) return 1;
  std::printf("%s\n", platform::WideToUtf8(found).c_str());
  return 0;
}

int TimeTextShown(const std::wstring& prefix, double seconds) {
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
  if (!PollUntil(FindTitle, prefix, true, deadline)) return 1;
  const ULONGLONG appeared = GetTickCount64();
  if (!PollUntil(FindTitle, prefix, false, deadline)) return 1;
  std::printf("%llu\n", GetTickCount64() - appeared);
  return 0;
}

// The system's handle table (information class 16), as NtQuerySystemInformation fills it.
// Wine answers 0 to GetProcessHandleCount, but keeps this table for every process.
struct SystemHandleEntry {
  ULONG owner_pid;
  BYTE object_type;
  BYTE flags;
  USHORT value;
  PVOID object;
  ACCESS_MASK access;
};
struct SystemHandleTable {
  ULONG count;
  SystemHandleEntry entries[1];
};
constexpr auto kSystemHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(16);
constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);

long CountHandles(DWORD pid) {
  std::vector<char> buffer(1 << 16);
  NTSTATUS status;
  ULONG needed = 0;
  while ((status = NtQuerySystemInformation(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                                            &needed)) == kInfoLengthMismatch) {
    buffer.resize(std::max<size_t>(buffer.size() * 2, needed));
  }
  if (status < 0) return -1;
  const auto* table = reinterpret_cast<const SystemHandleTable*>(buffer.data());
  long count = 0;
  for (ULONG i = 0; i < table->count; ++i) {
    if (table->entries[i].owner_pid == pid) ++count;
  }
  return count;
}

long CountThreads(DWORD pid) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  long count = 0;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == pid) ++count;
  }
  CloseHandle(snapshot);
  return count;
}

int PrintResources(DWORD pid) {
  const long handles = CountHandles(pid);
  const long threads = CountThreads(pid);
  if (handles <= 0 || threads <= 0) return 1;  // no such process
  std::printf("handles=%ld threads=%ld\n", handles, threads);
  return 0;
}

// Tells the top-level window titled `title` that its monitor's scale is now `dpi`, as the
// system does when a window is dragged to a monitor of another scale (which one display
// cannot show); no suggested rectangle, so the window keeps its place.
int SendDpiChange(const std::wstring& title, unsigned dpi) {
  HWND window = FindWindowW(nullptr, title.c_str());
  if (!window) return 1;
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), 0, SMTO_ABORTIFHUNG, 10000, &answer)) return 1;
  return 0;
}

// Prints the DPI awareness the top-level window titled `title` was made with (what the
// program's manifest asked for): unaware, system, per-monitor or per-monitor-v2.
int PrintDpiAwareness(const std::wstring& title) {
  HWND window = FindWindowW(nullptr, title.c_str());
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (!window || !user32) return 1;
  using Context = HANDLE;
  const auto of_window = reinterpret_cast<Context(WINAPI*)(HWND)>(
      reinterpret_cast<void*>(GetProcAddress(user32, "GetWindowDpiAwarenessContext")));
  const auto awareness_of = reinterpret_cast<int(WINAPI*)(Context)>(
      reinterpret_cast<void*>(GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
  const auto equal = reinterpret_cast<BOOL(WINAPI*)(Context, Context)>(
      reinterpret_cast<void*>(GetProcAddress(user32, "AreDpiAwarenessContextsEqual")));
  if (!of_window || !awareness_of || !equal) return 1;
  const Context context = of_window(window);
  const Context per_monitor_v2 = reinterpret_cast<Context>(static_cast<INT_PTR>(-4));
  const char* names[] = {"unaware", "system", "per-monitor"};
  const int awareness = awareness_of(context);
  if (awareness < 0 || awareness > 2) return 1;
  std::printf("%s\n", equal(context, per_monitor_v2) ? "per-monitor-v2" : names[awareness]);
  return 0;
}

BOOL CALLBACK PrintMonitor(HMONITOR monitor, HDC, RECT*, LPARAM) {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(monitor, &info)) return TRUE;
  const RECT& rc = info.rcMonitor;
  std::printf("monitor %ld,%ld,%ld,%ld primary=%d\n", rc.left, rc.top, rc.right, rc.bottom,
              (info.dwFlags & MONITORINFOF_PRIMARY) ? 1 : 0);
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if ((argc == 4 || argc == 5) && std::wstring(argv[1]) == L"wait")
    return WaitForText(argv[2], _wtof(argv[3]), argc == 5 ? argv[4] : L"");
  if (argc == 4 && std::wstring(argv[1]) == L"shown") return TimeTextShown(argv[2], _wtof(argv[3]));
  if (argc == 4 && std::wstring(argv[1]) == L"dpichange") return SendDpiChange(argv[2], wcstoul(argv[3], nullptr, 10));
  if (argc == 3 && std::wstring(argv[1]) == L"awareness") return PrintDpiAwareness(argv[2]);
  if (argc == 3 && std::wstring(argv[1]) == L"resources") return PrintResources(wcstoul(argv[2], nullptr, 10));
  if (argc == 2 && std::wstring(argv[1]) == L"monitors") {
    EnumDisplayMonitors(nullptr, nullptr, PrintMonitor, 0);
    return 0;
  }
  EnumWindows(PrintWindow, 0);
  std::fflush(stdout);
  return 0;
}
