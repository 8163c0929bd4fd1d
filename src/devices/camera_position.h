// The camera window's position file "vw1.cfg": one outer rectangle, 16 bytes of four
// little-endian 32-bit integers, stored the way the settings file is (every 0x0A as 0x0D
// 0x0A, read back in binary so that a 0x1A byte is data). No <windows.h> here.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "controls/dpi_scale.h"
#include "devices/capture_size_rules.h"

namespace devices {

// The stored rectangle, or nothing when the file is missing, short, or describes a window 32
// pixels or less wide or high.
std::optional<Box> ReadCameraPosition(const std::wstring& path);
// False when the file cannot be written; nothing is reported.
bool WriteCameraPosition(const std::wstring& path, const Box& rect);

// Without a stored position: the window's own size, touching the right edge of the screen,
// 30 pixels below its top at 100 % (that gap grows with the display scale, `dpi`).
Box DefaultCameraPosition(int32_t screen_width, int32_t window_width, int32_t window_height, int dpi = kDesignDpi);

// True when enough of `place` lies on one of `monitors` (their screen rectangles) to grab and
// drag it back: a window left where a monitor was before undocking does not.
bool LiesOnAMonitor(const Box& place, const std::vector<Box>& monitors);

}  // namespace devices
