// Times BitmapToRegion on the worst case for runs (a 3840 x 2160 checkerboard of magenta
// pixels) and on the bar's real skin; prints time per call and what the system received.
//   region_bench.exe [ITERATIONS_FOR_THE_SKIN] [CHECKERBOARD_WIDTH CHECKERBOARD_HEIGHT]
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "bar/dialog_utility_win.h"
#include "res/resource.h"

namespace {

HBITMAP Checkerboard(int w, int h) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  auto* px = static_cast<DWORD*>(bits);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) px[static_cast<size_t>(y) * w + x] = (x + y) % 2 ? 0xFF00FF : 0x203040;
  return bitmap;
}

void Measure(const char* name, HBITMAP bitmap, int iterations) {
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  HRGN region = nullptr;
  for (int i = 0; i < iterations; ++i) {
    if (region) DeleteObject(region);
    region = BitmapToRegion(bitmap);
  }
  QueryPerformanceCounter(&end);
  const double ms =
      1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
  const RegionBuildStats stats = LastRegionBuildStats();
  const DWORD bytes = GetRegionData(region, 0, nullptr);
  const unsigned long final_rects = bytes > sizeof(RGNDATAHEADER) ? (bytes - sizeof(RGNDATAHEADER)) / sizeof(RECT) : 0;
  std::printf(
      "%-28s %8.3f ms per call (%d calls)  rectangles handed over: %lld in %d ExtCreateRegion calls;"
      " final region: %lu rectangles\n",
      name, ms / iterations, iterations, stats.rectangles, stats.region_calls, final_rects);
  DeleteObject(region);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int skin_iterations = argc > 1 ? std::wcstol(argv[1], nullptr, 10) : 200;
  const int w = argc > 3 ? std::wcstol(argv[2], nullptr, 10) : 3840;
  const int h = argc > 3 ? std::wcstol(argv[3], nullptr, 10) : 2160;
  HBITMAP skin = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_SKIN_BAR));
  Measure("skin 611x69", skin, skin_iterations);
  DeleteObject(skin);
  HBITMAP board = Checkerboard(w, h);
  const std::string name = "checkerboard " + std::to_string(w) + "x" + std::to_string(h);
  Measure(name.c_str(), board, 1);
  DeleteObject(board);
  return 0;
}
