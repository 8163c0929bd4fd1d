// clock_window LEFT TOP LOGFILE: a borderless top-most 48 x 48 window at that place that shows
// the time, GetTickCount() in 10-ms ticks, as a 4 x 4 grid of 12-pixel squares (bit 0 top
// left, row by row; white = 1) over a background that turns to the next of four colours every
// second, until the process is ended. Every key-down of F7 anywhere on the desktop appends
// "F7 TICK" to LOGFILE, and every press of the left mouse button "click TICK", from low-level
// hooks like the program's, so that a test can tell from a recording how long after a press a
// picture was taken. Prints "showing"
// once the window is up. Disabled and never active, so keys still reach the program.
#include <windows.h>

// After windows.h, which it needs.
#include <mmsystem.h>

#include <cstdio>
#include <cwchar>

namespace {

constexpr int kSquare = 12;
constexpr int kSide = 4 * kSquare;
FILE* g_log = nullptr;
bool g_f7Held = false;

unsigned Ticks() { return GetTickCount() / 10; }

void Note(const char* what) {
  std::fprintf(g_log, "%s %u\n", what, Ticks());
  std::fflush(g_log);
}

LRESULT CALLBACK KeyboardHook(int code, WPARAM message, LPARAM data) {
  if (code == HC_ACTION && reinterpret_cast<const KBDLLHOOKSTRUCT*>(data)->vkCode == VK_F7) {
    const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
    if (down && !g_f7Held) Note("F7");
    g_f7Held = down;
  }
  return CallNextHookEx(nullptr, code, message, data);
}

LRESULT CALLBACK MouseHook(int code, WPARAM message, LPARAM data) {
  if (code == HC_ACTION && message == WM_LBUTTONDOWN) Note("click");
  return CallNextHookEx(nullptr, code, message, data);
}

void Paint(HWND window) {
  static const COLORREF kBackgrounds[] = {RGB(200, 40, 40), RGB(40, 160, 40), RGB(40, 40, 200), RGB(200, 160, 0)};
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  const unsigned ticks = Ticks();
  HBRUSH background = CreateSolidBrush(kBackgrounds[(ticks / 100) % 4]);
  RECT all = {0, 0, kSide, kSide};
  FillRect(dc, &all, background);
  DeleteObject(background);
  HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  for (int bit = 0; bit < 16; ++bit) {
    // A 2-pixel margin of background around each square keeps neighbours apart after encoding.
    RECT square = {bit % 4 * kSquare + 2, bit / 4 * kSquare + 2, bit % 4 * kSquare + kSquare - 2,
                   bit / 4 * kSquare + kSquare - 2};
    FillRect(dc, &square, (ticks >> bit) & 1 ? white : black);
  }
  EndPaint(window, &ps);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_PAINT) {
    Paint(window);
    return 0;
  }
  if (message == WM_TIMER) {
    InvalidateRect(window, nullptr, FALSE);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: clock_window LEFT TOP LOGFILE\n");
    return 2;
  }
  g_log = _wfopen(argv[3], L"ab");
  if (!g_log) return 1;
  timeBeginPeriod(1);
  WNDCLASSW window_class = {};
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"QuorlinClockWindow";
  RegisterClassW(&window_class);
  HWND window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, window_class.lpszClassName,
                                L"clock_window", WS_POPUP | WS_DISABLED, _wtoi(argv[1]), _wtoi(argv[2]), kSide, kSide,
                                nullptr, nullptr, window_class.hInstance, nullptr);
  HHOOK keys = SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardHook, window_class.hInstance, 0);
  HHOOK mouse = SetWindowsHookExW(WH_MOUSE_LL, MouseHook, window_class.hInstance, 0);
  if (!window || !keys || !mouse) return 1;
  ShowWindow(window, SW_SHOWNOACTIVATE);
  SetTimer(window, 1, 5, nullptr);  // a new picture well within each 10-ms tick
  std::printf("showing\n");
  std::fflush(stdout);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  UnhookWindowsHookEx(mouse);
  UnhookWindowsHookEx(keys);
  timeEndPeriod(1);
  return 0;
}
