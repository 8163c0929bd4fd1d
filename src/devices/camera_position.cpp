#include "devices/camera_position.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/file_io.h"
#include "settings/settings_file.h"

namespace devices {
namespace {
constexpr size_t kBytes = 16;
constexpr int32_t kSmallest = 33;   // a stored side of 32 or less is not a usable window
constexpr int64_t kGrabbable = 32;  // pixels of the window on a monitor, each way, to drag it by
}  // namespace

std::optional<Box> ReadCameraPosition(const std::wstring& path) {
  std::vector<unsigned char> file_bytes;
  if (!platform::ReadFilePrefix(path, 2 * kBytes, file_bytes)) return std::nullopt;
  unsigned char bytes[kBytes];
  if (settings::DecodeLineEnds(file_bytes, bytes, kBytes) < kBytes) return std::nullopt;
  int32_t v[4];
  for (int i = 0; i < 4; ++i)
    v[i] = static_cast<int32_t>(uint32_t{bytes[4 * i]} | uint32_t{bytes[4 * i + 1]} << 8 |
                                uint32_t{bytes[4 * i + 2]} << 16 | uint32_t{bytes[4 * i + 3]} << 24);
  const Box rect{v[0], v[1], v[2], v[3]};
  if (int64_t{rect.right} - rect.left < kSmallest || int64_t{rect.bottom} - rect.top < kSmallest) return std::nullopt;
  return rect;
}

bool WriteCameraPosition(const std::wstring& path, const Box& rect) {
  unsigned char bytes[kBytes];
  const int32_t v[4] = {rect.left, rect.top, rect.right, rect.bottom};
  for (int i = 0; i < 4; ++i)
    for (int b = 0; b < 4; ++b) bytes[4 * i + b] = static_cast<unsigned char>(static_cast<uint32_t>(v[i]) >> (8 * b));
  return platform::WriteWholeFile(path, settings::EncodeLineEnds(bytes, kBytes));
}

Box DefaultCameraPosition(int32_t screen_width, int32_t window_width, int32_t window_height, int dpi) {
  const int32_t left = screen_width - window_width;
  const int32_t top = ScaleForDpi(30, dpi);
  return {left, top, left + window_width, top + window_height};
}

bool LiesOnAMonitor(const Box& place, const std::vector<Box>& monitors) {
  for (const Box& m : monitors) {
    const int64_t wide = int64_t{std::min(place.right, m.right)} - std::max(place.left, m.left);
    const int64_t high = int64_t{std::min(place.bottom, m.bottom)} - std::max(place.top, m.top);
    if (wide >= kGrabbable && high >= kGrabbable) return true;
  }
  return false;
}

}  // namespace devices
