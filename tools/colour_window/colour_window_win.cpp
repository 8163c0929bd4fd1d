// colour_window LEFT TOP WIDTH HEIGHT RRGGBB: shows a borderless top-most window of one
// colour at that screen rectangle, titled "colour_window", until the process is ended.
// It is disabled, so it never becomes the active window: keys still reach the program under
// test, also after one of its windows closes.
#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: colour_window LEFT TOP WIDTH HEIGHT RRGGBB\n");
    return 2;
  }
  const int left = _wtoi(argv[1]), top = _wtoi(argv[2]), width = _wtoi(argv[3]), height = _wtoi(argv[4]);
  const unsigned long rgb = std::wcstoul(argv[5], nullptr, 16);

  WNDCLASSW window_class = {};
  window_class.lpfnWndProc = DefWindowProcW;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.hbrBackground = CreateSolidBrush(RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF));
  window_class.lpszClassName = L"QuorlinColourWindow";
  RegisterClassW(&window_class);
  HWND window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, window_class.lpszClassName,
                                L"colour_window", WS_POPUP | WS_DISABLED, left, top, width, height, nullptr, nullptr,
                                window_class.hInstance, nullptr);
  if (window == nullptr) return 1;
  ShowWindow(window, SW_SHOWNOACTIVATE);
  UpdateWindow(window);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}
