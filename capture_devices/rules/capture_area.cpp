#include "capture_devices/rules/capture_area.h"

#include <algorithm>
#include <cmath>

namespace capture {
namespace {

int32_t EvenSide(int64_t side, int32_t largest) {
  side = std::min<int64_t>(side, largest);
  side -= side % 2;
  return static_cast<int32_t>(std::max<int64_t>(side, 2));
}

// Bytes of a frame; RGB rows are padded to 4 bytes, 4:2:0 planes are dense.
int64_t FrameBytes(int64_t width, int64_t height, int bits_per_pixel) {
  if (bits_per_pixel == 12) return width * height * 3 / 2;
  return (width * bits_per_pixel + 31) / 32 * 4 * height;
}

}  // namespace

CaptureRect ChooseCaptureRect(const AreaValues& values, int32_t screen_width, int32_t screen_height) {
  CaptureRect rect{0, 0, EvenSide(screen_width, kMaxAreaSide), EvenSide(screen_height, kMaxAreaSide)};
  if (values.start_x && values.start_y && values.capture_width && values.capture_height) {
    const auto width = static_cast<int32_t>(*values.capture_width);
    const auto height = static_cast<int32_t>(*values.capture_height);
    if (width > 0 && height > 0)
      rect = {static_cast<int32_t>(*values.start_x), static_cast<int32_t>(*values.start_y),
              EvenSide(width, kMaxAreaSide), EvenSide(height, kMaxAreaSide)};
  }
  return rect;
}

FrameSize FitFrameSize(const CaptureRect& area, int bits_per_pixel) {
  const int64_t bytes = FrameBytes(area.width, area.height, bits_per_pixel);
  double factor = std::min(1.0, static_cast<double>(kMaxCaptureSide) / std::max(area.width, area.height));
  if (bytes > kMaxFrameBytes) factor = std::min(factor, std::sqrt(static_cast<double>(kMaxFrameBytes) / bytes));
  if (factor >= 1.0) return {area.width, area.height};
  FrameSize size{EvenSide(static_cast<int64_t>(area.width * factor), kMaxCaptureSide),
                 EvenSide(static_cast<int64_t>(area.height * factor), kMaxCaptureSide)};
  // Rounding may leave it a row too large.
  while (FrameBytes(size.width, size.height, bits_per_pixel) > kMaxFrameBytes && size.height > 2) size.height -= 2;
  return size;
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
