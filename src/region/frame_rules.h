#pragma once
// The recording frame's geometry: the band and its corner marks, which part of the band
// moves or resizes the frame, the even-size correction, and the area inside the band.
// No <windows.h> here.
#include <cstdint>

#include "region/area_rect.h"

constexpr int32_t kFrameBand = 4;         // width of the visible band, inside the window's edges
constexpr int32_t kFrameCornerMark = 16;  // side of the square corner marks
constexpr int32_t kFrameMinimumSize = 128;

// What a point on the band does when pressed; kNone leaves it to default processing.
enum class FrameZone { kNone, kMove, kTopLeft, kLeft, kBottomLeft, kTopRight, kRight, kBottomRight, kBottom };

// The zone of client point (x, y) in client rectangle `client`, with the zone sizes taken
// from the system's dialog frame metrics: h = 2 * SM_CXDLGFRAME, v = SM_CYDLGFRAME.
FrameZone FrameZoneAt(int32_t x, int32_t y, const AreaRect& client, int32_t h, int32_t v);

// The window rectangle with an odd height or width brought in by one pixel at the bottom
// or right edge.
AreaRect EvenFrameRect(const AreaRect& window);

// What is recorded: the window rectangle without its band.
AreaRect FrameInside(const AreaRect& window);

// The four capture-area values for a rectangle: its corner and its size made even (an odd
// side loses its last pixel).
struct CaptureAreaValues {
  int32_t start_x = 0;
  int32_t start_y = 0;
  int32_t capture_width = 0;
  int32_t capture_height = 0;
};
CaptureAreaValues CaptureValuesFor(const AreaRect& area);
