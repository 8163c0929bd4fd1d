#include "capture_devices/rules/click_ring.h"

#include <algorithm>
#include <cmath>

namespace capture {
namespace {

constexpr int32_t kDiameterAt96Dpi = 24;
constexpr uint32_t kDiscOpacity = 140;  // of 255: the picture under the ring stays readable
constexpr uint32_t kRimOpacity = 230;

}  // namespace

void ClickMemory::Take(Button& button, ButtonReading reading, int64_t now_ms, bool fresh) const {
  const bool pressed_between = reading.pressed_since && fresh;
  if (reading.down) {
    // A new press, or a release and a new press between two readings.
    if (!button.held || pressed_between) button.pressed_ms = now_ms;
    button.held = true;
    button.released_ms.reset();
  } else if (button.held) {
    button.held = false;
    button.released_ms = now_ms;
  } else if (pressed_between) {
    // Down and up again between two readings: shown as a click released now.
    button.pressed_ms = button.released_ms = now_ms;
  }
}

uint8_t ClickMemory::Opacity(const Button& button, int64_t now_ms) {
  if (button.held) return 255;
  if (!button.released_ms) return 0;
  const int64_t since = now_ms - *button.released_ms;
  if (since < 0 || since >= kRingFadeMs) return 0;
  // Quadratic: most of the fade comes early, so the second press of a double click stands out.
  const double left = 1.0 - static_cast<double>(since) / kRingFadeMs;
  return static_cast<uint8_t>(std::lround(255 * left * left));
}

std::optional<RingPulse> ClickMemory::Update(int64_t now_ms, ButtonReading left, ButtonReading right) {
  const bool fresh = m_lastReadingMs && now_ms - *m_lastReadingMs <= kPressMemoryMs;
  m_lastReadingMs = now_ms;
  Take(m_left, left, now_ms, fresh);
  Take(m_right, right, now_ms, fresh);
  const uint8_t left_opacity = Opacity(m_left, now_ms), right_opacity = Opacity(m_right, now_ms);
  if (left_opacity == 0 && right_opacity == 0) return std::nullopt;
  const bool right_last = right_opacity > 0 && (left_opacity == 0 || *m_right.pressed_ms > *m_left.pressed_ms);
  if (right_last) return RingPulse{ClickButton::kRight, right_opacity};
  return RingPulse{ClickButton::kLeft, left_opacity};
}

int32_t RingDiameter(int32_t dpi) {
  // A DPI that cannot be right (none found, or absurd) counts as 96.
  if (dpi < 48 || dpi > 960) dpi = 96;
  return (kDiameterAt96Dpi * dpi + 48) / 96;
}

std::optional<RingPlacement> PlaceRing(int64_t hot_x, int64_t hot_y, int32_t area_width, int32_t area_height,
                                       int32_t diameter) {
  if (hot_x < 0 || hot_y < 0 || hot_x >= area_width || hot_y >= area_height || diameter <= 0) return std::nullopt;
  const CaptureRect ring{static_cast<int32_t>(hot_x) - diameter / 2, static_cast<int32_t>(hot_y) - diameter / 2,
                         diameter, diameter};
  const CaptureRect inside = VisiblePart(ring, CaptureRect{0, 0, area_width, area_height});
  RingPlacement placement;
  placement.target = {ring.left + inside.left, ring.top + inside.top, inside.width, inside.height};
  placement.source_left = inside.left;
  placement.source_top = inside.top;
  return placement;
}

std::vector<uint32_t> RingPicture(int32_t diameter, uint32_t colour) {
  const int32_t side = std::max(diameter, 0);
  std::vector<uint32_t> pixels(static_cast<size_t>(side) * side, 0);
  const double radius = side / 2.0;
  const double rim = std::max(2.0, side / 12.0);
  for (int32_t y = 0; y < side; ++y) {
    for (int32_t x = 0; x < side; ++x) {
      const double distance = std::hypot(x + 0.5 - radius, y + 0.5 - radius);
      // The edge is smoothed over one pixel.
      const double coverage = std::clamp(radius - distance + 0.5, 0.0, 1.0);
      const uint32_t alpha =
          static_cast<uint32_t>(std::lround((distance > radius - rim ? kRimOpacity : kDiscOpacity) * coverage));
      const auto premultiplied = [&](int shift) { return (((colour >> shift) & 0xFF) * alpha + 127) / 255 << shift; };
      pixels[static_cast<size_t>(y) * side + x] = alpha << 24 | premultiplied(16) | premultiplied(8) | premultiplied(0);
    }
  }
  return pixels;
}

}  // namespace capture
