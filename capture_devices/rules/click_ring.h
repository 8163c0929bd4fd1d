// The ring that shows the pointer's clicks in a recording: which button's ring a frame shows
// and how strongly, from the buttons read once per frame, and where and how large it is in
// the captured area. No <windows.h> here.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "capture_devices/rules/capture_area.h"

namespace capture {

enum class ClickButton { kLeft, kRight };

// One frame's reading of a button: held now, and pressed since the previous reading (a click
// that began, and perhaps ended, between two frames).
struct ButtonReading {
  bool down = false;
  bool pressed_since = false;
};

// A ring stays this long after its button is released, fading out.
constexpr int64_t kRingFadeMs = 300;
// A "pressed since" report is believed only when the previous reading is at most this old: on
// the first reading of a run, or after a pause, it may tell of a click long past (the click on
// the recorder's own Start button, say).
constexpr int64_t kPressMemoryMs = 250;

struct RingPulse {
  ClickButton button;
  uint8_t opacity;  // 255 while the button is held, fading to 0 after its release
};

// The short memory of presses: fed one reading of both buttons per frame.
class ClickMemory {
 public:
  // Takes the readings made at `now_ms` (a steady clock) and returns the ring this frame
  // shows, if any: that of the button pressed last among those held or released less than
  // kRingFadeMs ago. Each new press starts at full strength again, so a double click shows
  // as two pulses.
  std::optional<RingPulse> Update(int64_t now_ms, ButtonReading left, ButtonReading right);

 private:
  struct Button {
    bool held = false;
    std::optional<int64_t> pressed_ms;   // the last press seen
    std::optional<int64_t> released_ms;  // when that press was seen to have ended
  };
  void Take(Button& button, ButtonReading reading, int64_t now_ms, bool fresh) const;
  static uint8_t Opacity(const Button& button, int64_t now_ms);

  Button m_left, m_right;
  std::optional<int64_t> m_lastReadingMs;
};

// The ring's width and height in pixels on a monitor of `dpi` (24 at 96 DPI).
int32_t RingDiameter(int32_t dpi);

// Where a ring of `diameter` centred on the hot spot lands in an area of `area_width` x
// `area_height` (the hot spot in area coordinates): `target` is the part inside the area, in
// area coordinates, and `source_left`, `source_top` where that part starts in the ring's own
// square. Nothing when the hot spot itself is outside the area: a click there is not recorded.
struct RingPlacement {
  CaptureRect target;
  int32_t source_left = 0, source_top = 0;
};
std::optional<RingPlacement> PlaceRing(int64_t hot_x, int64_t hot_y, int32_t area_width, int32_t area_height,
                                       int32_t diameter);

// The ring's colours, 0xRRGGBB.
constexpr uint32_t kLeftRingColour = 0xFFDC00;   // yellow
constexpr uint32_t kRightRingColour = 0x1E6EFF;  // blue

// The ring's picture, `diameter` rows from the top of `diameter` pixels: premultiplied
// 0xAARRGGBB, a translucent disc of `colour` with a stronger rim and a smoothed edge.
std::vector<uint32_t> RingPicture(int32_t diameter, uint32_t colour);

}  // namespace capture
