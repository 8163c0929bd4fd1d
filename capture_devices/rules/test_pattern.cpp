#include "capture_devices/rules/test_pattern.h"

#include <algorithm>
#include <cstring>

namespace capture {
namespace {

// Digits 0-9 in a 5x7 grid, one row per byte, the top bit of five first.
constexpr uint8_t kDigits[10][7] = {
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}, {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}, {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}, {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}, {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}, {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},
};
constexpr uint32_t kBand = 0x202020;
constexpr uint32_t kWhite = 0xFFFFFF;

void FillRect(uint32_t* pixels, int width, int height, int left, int top, int w, int h, uint32_t colour) {
  const int right = std::min(width, left + w), bottom = std::min(height, top + h);
  for (int y = std::max(0, top); y < bottom; ++y)
    std::fill(pixels + y * width + std::max(0, left), pixels + y * width + right, colour);
}

uint8_t Clamp(int v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); }

}  // namespace

void DrawTestPattern(uint32_t* pixels, int width, int height, uint64_t frame) {
  const int bars_bottom = height * 2 / 3;
  const int bars = static_cast<int>(kTestBarColours.size());
  for (int i = 0; i < bars; ++i) {
    const int left = width * i / bars, right = width * (i + 1) / bars;
    FillRect(pixels, width, height, left, 0, right - left, bars_bottom, kTestBarColours[i]);
  }
  FillRect(pixels, width, height, 0, bars_bottom, width, height - bars_bottom, kBand);

  const int band = height - bars_bottom;
  const int square = std::max(2, band / 3);
  const int travel = std::max(1, width / 2 - square);
  const int square_left = width / 2 + static_cast<int>(frame * 8 % static_cast<uint64_t>(travel));
  FillRect(pixels, width, height, square_left, bars_bottom + (band - square) / 2, square, square, kWhite);

  // Six digits of the frame number, each cell `scale` pixels square, on the band's left half.
  const int scale = std::max(1, std::min(band / 9, width / 2 / 40));
  uint64_t number = frame % 1000000;
  const int top = bars_bottom + (band - 7 * scale) / 2;
  for (int d = 5; d >= 0; --d, number /= 10) {
    const int left = scale * (1 + d * 6);
    for (int row = 0; row < 7; ++row)
      for (int col = 0; col < 5; ++col)
        if (kDigits[number % 10][row] & (0x10 >> col))
          FillRect(pixels, width, height, left + col * scale, top + row * scale, scale, scale, kWhite);
  }
}

void ToRgb32BottomUp(const uint32_t* picture, int width, int height, uint8_t* out) {
  for (int y = 0; y < height; ++y)
    std::memcpy(out + static_cast<size_t>(height - 1 - y) * width * 4, picture + static_cast<size_t>(y) * width,
                static_cast<size_t>(width) * 4);
}

void ToRgb24BottomUp(const uint32_t* picture, int width, int height, uint8_t* out) {
  const int stride = RgbStride(width, 24);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = out + static_cast<size_t>(height - 1 - y) * stride;
    const uint32_t* in = picture + static_cast<size_t>(y) * width;
    for (int x = 0; x < width; ++x) {
      row[3 * x] = static_cast<uint8_t>(in[x]);
      row[3 * x + 1] = static_cast<uint8_t>(in[x] >> 8);
      row[3 * x + 2] = static_cast<uint8_t>(in[x] >> 16);
    }
    std::fill(row + 3 * width, row + stride, 0);
  }
}

void ToYuy2(const uint32_t* picture, int width, int height, uint8_t* out) {
  for (int i = 0; i < width * height; i += 2) {
    int y[2], u = 0, v = 0;
    for (int k = 0; k < 2; ++k) {
      const int r = (picture[i + k] >> 16) & 0xFF, g = (picture[i + k] >> 8) & 0xFF, b = picture[i + k] & 0xFF;
      y[k] = ((66 * r + 129 * g + 25 * b + 128) >> 8) + 16;
      u += ((-38 * r - 74 * g + 112 * b + 128) >> 8) + 128;
      v += ((112 * r - 94 * g - 18 * b + 128) >> 8) + 128;
    }
    out[2 * i] = Clamp(y[0]);
    out[2 * i + 1] = Clamp(u / 2);
    out[2 * i + 2] = Clamp(y[1]);
    out[2 * i + 3] = Clamp(v / 2);
  }
}

}  // namespace capture
