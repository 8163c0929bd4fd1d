// colour_window LEFT TOP WIDTH HEIGHT RRGGBB [moving]: shows a borderless top-most window of one
// colour at that screen rectangle, titled "colour_window", until the process is ended. With
// "moving" it repaints every 20 ms with bars of that colour that move and change, a picture
// unlike the last one at every frame (for the capture benchmark's moving desktop).
// It is disabled, so it never becomes the active window: keys still reach the program under
// test, also after one of its windows closes.
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

constexpr UINT_PTR kRepaintTimer = 1;
COLORREF g_colour = 0;

// Vertical bars 64 pixels apart, shifted and shaded anew by the tick count.
void PaintMoving(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT client;
  GetClientRect(window, &client);
  const DWORD tick = GetTickCount() / 20;
  for (LONG x = -64; x < client.right; x += 32) {
    const int shade = static_cast<int>((x / 32 + tick) % 8) * 32;
    HBRUSH brush = CreateSolidBrush(RGB((GetRValue(g_colour) + shade) & 0xFF, (GetGValue(g_colour) + shade * 3) & 0xFF,
                                        (GetBValue(g_colour) + shade * 5) & 0xFF));
    const LONG left = x + static_cast<LONG>(tick * 7 % 64);
    const RECT bar{left, 0, left + 32, client.bottom};
    FillRect(dc, &bar, brush);
    DeleteObject(brush);
  }
  EndPaint(window, &paint);
}

LRESULT CALLBACK MovingWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_TIMER:
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_PAINT:
      PaintMoving(window);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const bool moving = argc == 7 && std::wcscmp(argv[6], L"moving") == 0;
  if (argc != 6 && !moving) {
    std::fprintf(stderr, "usage: colour_window LEFT TOP WIDTH HEIGHT RRGGBB [moving]\n");
    return 2;
  }
  const int left = _wtoi(argv[1]), top = _wtoi(argv[2]), width = _wtoi(argv[3]), height = _wtoi(argv[4]);
  const unsigned long rgb = std::wcstoul(argv[5], nullptr, 16);
  g_colour = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);

  WNDCLASSW window_class = {};
  window_class.lpfnWndProc = moving ? MovingWindowProc : DefWindowProcW;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.hbrBackground = CreateSolidBrush(g_colour);
  window_class.lpszClassName = L"QuorlinColourWindow";
  RegisterClassW(&window_class);
  HWND window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, window_class.lpszClassName,
                                L"colour_window", WS_POPUP | WS_DISABLED, left, top, width, height, nullptr, nullptr,
                                window_class.hInstance, nullptr);
  if (window == nullptr) return 1;
  ShowWindow(window, SW_SHOWNOACTIVATE);
  UpdateWindow(window);
  if (moving) SetTimer(window, kRepaintTimer, 20, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}
