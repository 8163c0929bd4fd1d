// Draws the ring that shows the pointer's clicks into the desktop device's frames, when the
// recording asks for it. The buttons are read once per frame on the streaming thread: no
// hook, no thread of its own.
#pragma once
#include <windows.h>

#include <string>

#include "capture_devices/rules/capture_area.h"
#include "capture_devices/rules/click_ring.h"

namespace capture {

class ClickRingDrawer {
 public:
  ClickRingDrawer();
  ~ClickRingDrawer();
  ClickRingDrawer(const ClickRingDrawer&) = delete;
  ClickRingDrawer& operator=(const ClickRingDrawer&) = delete;

  // Reads the buttons and, while a ring shows, draws it around the pointer's hot spot into
  // `dc`, which holds the frame of `area` (screen pixels). Called before the pointer is drawn,
  // so that the ring lies under it.
  void Draw(HDC dc, const CaptureRect& area);

  // For the device's stats line: the time Draw took per frame (mean and max) and the frames
  // that got a ring.
  std::string Figures() const;

 private:
  // The ring's picture for one button at one size, made when first needed.
  struct Picture {
    HBITMAP bitmap = nullptr;
    int32_t diameter = 0;
  };
  HBITMAP PictureFor(ClickButton button, int32_t diameter);
  bool DrawRing(HDC dc, const CaptureRect& area, int64_t now_ms);
  int64_t Ticks() const;

  ClickMemory m_memory;
  HDC m_hPictureDC = nullptr;
  Picture m_pictures[2];  // left, right
  LARGE_INTEGER m_frequency{};
  long long m_nCalls = 0, m_nDrawn = 0;
  int64_t m_drawTicks = 0, m_maxDrawTicks = 0;
};

}  // namespace capture
