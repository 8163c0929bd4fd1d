#include "controls/scaled_bitmap_win.h"

#include <cstring>

#include "controls/skin_scaling.h"
#include "framework/gdi_guards.h"

namespace {

BITMAPINFO TopDown32(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // rows from the top, as SkinPixels holds them
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

}  // namespace

HBITMAP ScaleSkinBitmap(HBITMAP source, int frames, int dpi, COLORREF key) {
  BITMAP size{};
  if (!source || !GetObjectW(source, sizeof(size), &size) || size.bmWidth <= 0 || size.bmHeight <= 0) return nullptr;
  SkinPixels original;
  original.width = size.bmWidth;
  original.height = size.bmHeight;
  original.data.resize(static_cast<size_t>(original.width) * static_cast<size_t>(original.height));
  BITMAPINFO read_info = TopDown32(original.width, original.height);
  {
    ScopedWindowDC screen(nullptr);
    if (!screen || GetDIBits(screen.Get(), source, 0, static_cast<UINT>(original.height), original.data.data(),
                             &read_info, DIB_RGB_COLORS) != original.height)
      return nullptr;
  }
  // A DIB's 32-bit pixel is blue, green, red, unused in memory: 0x00RRGGBB as a number.
  const uint32_t key_rgb = uint32_t{GetRValue(key)} << 16 | uint32_t{GetGValue(key)} << 8 | GetBValue(key);
  const SkinPixels scaled = ScaleStripForDpi(original, frames, dpi, key_rgb);
  if (scaled.data.empty()) return nullptr;
  BITMAPINFO info = TopDown32(scaled.width, scaled.height);
  void* bits = nullptr;
  HBITMAP copy = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!copy || !bits) {
    if (copy) DeleteObject(copy);
    return nullptr;
  }
  std::memcpy(bits, scaled.data.data(), scaled.data.size() * sizeof(uint32_t));
  return copy;
}
