#include "region/frame_rules.h"

FrameZone FrameZoneAt(int32_t x, int32_t y, const AreaRect& client, int32_t h, int32_t v) {
  const AreaRect move_strip{client.left + h, client.top, client.right - h, client.top + 4 * v};
  if (x >= move_strip.left && x < move_strip.right && y >= move_strip.top && y < move_strip.bottom) {
    return FrameZone::kMove;
  }
  const bool top_corner = y <= client.top + 2 * v;
  const bool side = y < client.bottom - 2 * v;
  if (x <= client.left + h) return top_corner ? FrameZone::kTopLeft : side ? FrameZone::kLeft : FrameZone::kBottomLeft;
  if (x >= client.right - h) {
    return top_corner ? FrameZone::kTopRight : side ? FrameZone::kRight : FrameZone::kBottomRight;
  }
  return y >= client.bottom - 2 * v ? FrameZone::kBottom : FrameZone::kNone;
}

AreaRect EvenFrameRect(const AreaRect& window) {
  return {window.left, window.top, window.left + EvenSize(window.Width()), window.top + EvenSize(window.Height())};
}

AreaRect FrameInside(const AreaRect& window) {
  return {window.left + kFrameBand, window.top + kFrameBand, window.right - kFrameBand, window.bottom - kFrameBand};
}

CaptureAreaValues CaptureValuesFor(const AreaRect& area) {
  return {area.left, area.top, EvenSize(area.Width()), EvenSize(area.Height())};
}
