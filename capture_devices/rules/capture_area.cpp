#include "capture_devices/rules/capture_area.h"

#include <algorithm>
#include <cmath>

namespace capture {
namespace {

int32_t EvenSide(int64_t side) {
  side = std::min<int64_t>(side, kMaxCaptureSide);
  side -= side % 2;
  return static_cast<int32_t>(std::max<int64_t>(side, 2));
}

int64_t FrameBytes(int64_t width, int64_t height) { return width * height * 4; }

// The sides of a frame of at most kMaxFrameBytes, in the proportions of `rect`.
void FitFrameBytes(CaptureRect& rect) {
  if (FrameBytes(rect.width, rect.height) <= kMaxFrameBytes) return;
  const double factor = std::sqrt(static_cast<double>(kMaxFrameBytes) / FrameBytes(rect.width, rect.height));
  rect.width = EvenSide(static_cast<int64_t>(rect.width * factor));
  rect.height = EvenSide(static_cast<int64_t>(rect.height * factor));
  // Rounding may leave it a row too large.
  while (FrameBytes(rect.width, rect.height) > kMaxFrameBytes) rect.height -= 2;
}

}  // namespace

CaptureRect ChooseCaptureRect(const AreaValues& values, int32_t screen_width, int32_t screen_height) {
  CaptureRect rect{0, 0, EvenSide(screen_width), EvenSide(screen_height)};
  if (values.start_x && values.start_y && values.capture_width && values.capture_height) {
    const auto width = static_cast<int32_t>(*values.capture_width);
    const auto height = static_cast<int32_t>(*values.capture_height);
    if (width > 0 && height > 0)
      rect = {static_cast<int32_t>(*values.start_x), static_cast<int32_t>(*values.start_y), EvenSide(width),
              EvenSide(height)};
  }
  FitFrameBytes(rect);
  return rect;
}

CaptureRect VisiblePart(const CaptureRect& area, const CaptureRect& screen) {
  // 64-bit sums: an area near the ends of the 32-bit range must not wrap around.
  const int64_t left = std::max<int64_t>(area.left, screen.left);
  const int64_t top = std::max<int64_t>(area.top, screen.top);
  const int64_t right = std::min<int64_t>(int64_t{area.left} + area.width, int64_t{screen.left} + screen.width);
  const int64_t bottom = std::min<int64_t>(int64_t{area.top} + area.height, int64_t{screen.top} + screen.height);
  if (right <= left || bottom <= top) return {0, 0, 0, 0};
  return {static_cast<int32_t>(left - area.left), static_cast<int32_t>(top - area.top),
          static_cast<int32_t>(right - left), static_cast<int32_t>(bottom - top)};
}

}  // namespace capture
