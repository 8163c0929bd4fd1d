// Which part of the screen the desktop device captures, decided from the four capture-area
// values in the registry and the size of the primary screen. No <windows.h> here.
#pragma once
#include <cstdint>
#include <optional>

namespace capture {

// Values as read from the registry; absent ones are empty.
struct AreaValues {
  std::optional<uint32_t> start_x, start_y, capture_width, capture_height;
};

// A rectangle in screen pixels: left/top inclusive, the size counted from there.
struct CaptureRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
  bool operator==(const CaptureRect& o) const {
    return left == o.left && top == o.top && width == o.width && height == o.height;
  }
};

// Largest side of an area: screen coordinates span no more.
constexpr int32_t kMaxAreaSide = 32768;
// Largest side of a frame we deliver.
constexpr int32_t kMaxCaptureSide = 8192;
// Largest frame we deliver, in bytes. The encoder reads the device with a 100 MB real-time
// buffer, which must hold a few frames, and a 32-bit encoder keeps our four samples and its
// own copies within 2 GB of address space.
constexpr int64_t kMaxFrameBytes = int64_t{32} << 20;

// The rectangle to capture. With all four values present it is the stored area (positions are
// signed 32-bit patterns, so an area may lie partly off the screen or on any monitor);
// otherwise, or when the stored size is zero or negative, the whole primary screen. Sides are
// cut to at most kMaxAreaSide and made even (rounded down, at least 2), because the encoder's
// 4:2:0 pictures need even sizes.
CaptureRect ChooseCaptureRect(const AreaValues& values, int32_t screen_width, int32_t screen_height);

// The picture size of a frame of the whole `area` at `bits_per_pixel` (12 for 4:2:0, 24 or 32
// for RGB): the area's own size where it fits kMaxFrameBytes and kMaxCaptureSide, else scaled
// down to fit, both sides by the same factor (even, at least 2). Never a part of the area.
struct FrameSize {
  int32_t width = 0;
  int32_t height = 0;
  bool operator==(const FrameSize& o) const { return width == o.width && height == o.height; }
};
FrameSize FitFrameSize(const CaptureRect& area, int bits_per_pixel);

// The part of `area` that lies on the screen rectangle `screen`, in area coordinates
// (left/top relative to the area); width or height 0 when nothing of it is on the screen.
CaptureRect VisiblePart(const CaptureRect& area, const CaptureRect& screen);

}  // namespace capture
