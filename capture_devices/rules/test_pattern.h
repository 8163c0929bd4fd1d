// The test camera's moving picture and the pixel formats it is delivered in. No <windows.h>.
#pragma once
#include <array>
#include <cstdint>

namespace capture {

// Colour bars from left to right across the top two thirds, as 0xRRGGBB.
constexpr std::array<uint32_t, 7> kTestBarColours = {0xFFFFFF, 0xFFFF00, 0x00FFFF, 0x00FF00,
                                                     0xFF00FF, 0xFF0000, 0x0000FF};

// Draws frame `frame` into `pixels` (top row first, 0x00RRGGBB): the bars, and below them on a
// dark grey band a white square that moves with every frame and the frame number in large
// white digits at the band's left.
void DrawTestPattern(uint32_t* pixels, int width, int height, uint64_t frame);

// Bytes of one row of a bottom-up RGB bitmap, padded to whole 32-bit words.
inline int RgbStride(int width, int bits) { return (width * bits / 8 + 3) / 4 * 4; }

// Copies a picture into a sample of the given layout: bottom-up RGB32 or RGB24 (rows padded),
// or top-down YUY2 (BT.601, limited range; the width must be even).
void ToRgb32BottomUp(const uint32_t* picture, int width, int height, uint8_t* out);
void ToRgb24BottomUp(const uint32_t* picture, int width, int height, uint8_t* out);
void ToYuy2(const uint32_t* picture, int width, int height, uint8_t* out);

}  // namespace capture
