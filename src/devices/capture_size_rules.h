// Rules of the camera picture that need no platform: which capture size to choose, and where a
// picture goes in a window. No <windows.h> here.
#pragma once
#include <cstdint>
#include <vector>

namespace devices {

struct CaptureSize {
  int32_t width = 0;
  int32_t height = 0;
  bool operator==(const CaptureSize& o) const { return width == o.width && height == o.height; }
};

// Exactly 1280x720 or 1920x1080 is taken at once; otherwise the last size at least 720 high
// and wider than high; otherwise `current` stays.
CaptureSize ChooseCaptureSize(const std::vector<CaptureSize>& sizes, CaptureSize current);

// A rectangle: left/top inclusive, right/bottom exclusive.
struct Box {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const Box& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};

// The picture as large as fits in the client area, in its middle, keeping its proportions
// (integer division; the offset rounds toward zero).
Box FitPicture(int32_t client_width, int32_t client_height, int32_t video_width, int32_t video_height);

}  // namespace devices
