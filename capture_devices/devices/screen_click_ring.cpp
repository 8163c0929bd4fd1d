#include "capture_devices/devices/screen_click_ring.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace capture {
namespace {

ButtonReading ReadButton(int key) {
  // The high bit: held now; the low bit: pressed since the last call (Windows keeps it on a
  // best-effort basis, which is all a ring needs).
  const SHORT state = GetAsyncKeyState(key);
  return ButtonReading{(state & 0x8000) != 0, (state & 1) != 0};
}

// The monitor's DPI as the DPI-aware streaming thread sees it; the system's on Windows before
// 8.1, which knows only one.
int32_t MonitorDpi(HMONITOR monitor, HDC dc) {
  using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  static const auto get_dpi = [] {
    const HMODULE shcore = LoadLibraryW(L"shcore.dll");  // kept for the process's lifetime
    return shcore ? reinterpret_cast<GetDpiForMonitorFunction>(
                        reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                  : nullptr;
  }();
  UINT dpi_x = 0, dpi_y = 0;
  constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
  if (get_dpi && SUCCEEDED(get_dpi(monitor, kEffectiveDpi, &dpi_x, &dpi_y))) return static_cast<int32_t>(dpi_x);
  return GetDeviceCaps(dc, LOGPIXELSX);
}

}  // namespace

ClickRingDrawer::ClickRingDrawer() {
  QueryPerformanceFrequency(&m_frequency);
  m_hPictureDC = CreateCompatibleDC(nullptr);
}

ClickRingDrawer::~ClickRingDrawer() {
  if (m_hPictureDC) DeleteDC(m_hPictureDC);
  for (const Picture& picture : m_pictures)
    if (picture.bitmap) DeleteObject(picture.bitmap);
}

int64_t ClickRingDrawer::Ticks() const {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

std::string ClickRingDrawer::Figures() const {
  const double ms_per_tick = m_frequency.QuadPart ? 1000.0 / static_cast<double>(m_frequency.QuadPart) : 0.0;
  char figures[128];
  std::snprintf(figures, sizeof figures, " click_ms_mean=%.4f click_ms_max=%.3f click_frames=%lld",
                m_nCalls ? static_cast<double>(m_drawTicks) * ms_per_tick / static_cast<double>(m_nCalls) : 0.0,
                static_cast<double>(m_maxDrawTicks) * ms_per_tick, m_nDrawn);
  return figures;
}

HBITMAP ClickRingDrawer::PictureFor(ClickButton button, int32_t diameter) {
  Picture& picture = m_pictures[button == ClickButton::kLeft ? 0 : 1];
  if (picture.bitmap && picture.diameter == diameter) return picture.bitmap;
  if (picture.bitmap) DeleteObject(picture.bitmap);
  picture = Picture{};
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = diameter;
  info.bmiHeader.biHeight = -diameter;  // rows from the top, as the picture is made
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  picture.bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!picture.bitmap) return nullptr;
  picture.diameter = diameter;
  const std::vector<uint32_t> pixels =
      RingPicture(diameter, button == ClickButton::kLeft ? kLeftRingColour : kRightRingColour);
  std::memcpy(bits, pixels.data(), pixels.size() * sizeof(pixels[0]));
  return picture.bitmap;
}

void ClickRingDrawer::Draw(HDC dc, const CaptureRect& area) {
  const int64_t start = Ticks();
  const int64_t now_ms = m_frequency.QuadPart ? start * 1000 / m_frequency.QuadPart : GetTickCount64();
  if (DrawRing(dc, area, now_ms)) ++m_nDrawn;
  const int64_t took = Ticks() - start;
  ++m_nCalls;
  m_drawTicks += took;
  m_maxDrawTicks = std::max(m_maxDrawTicks, took);
}

bool ClickRingDrawer::DrawRing(HDC dc, const CaptureRect& area, int64_t now_ms) {
  // Buttons swapped for the left hand: the ring follows the logical button.
  const bool swapped = GetSystemMetrics(SM_SWAPBUTTON) != 0;
  const ButtonReading left = ReadButton(swapped ? VK_RBUTTON : VK_LBUTTON);
  const ButtonReading right = ReadButton(swapped ? VK_LBUTTON : VK_RBUTTON);
  const std::optional<RingPulse> pulse = m_memory.Update(now_ms, left, right);
  if (!pulse || !m_hPictureDC) return false;

  // No ring where no pointer is seen: hidden, or on no monitor (a display being changed).
  CURSORINFO cursor{};
  cursor.cbSize = sizeof(cursor);
  if (!GetCursorInfo(&cursor) || !(cursor.flags & CURSOR_SHOWING)) return false;
  const HMONITOR monitor = MonitorFromPoint(cursor.ptScreenPos, MONITOR_DEFAULTTONULL);
  if (!monitor) return false;
  const int32_t diameter = RingDiameter(MonitorDpi(monitor, dc));
  const std::optional<RingPlacement> placed =
      PlaceRing(int64_t{cursor.ptScreenPos.x} - area.left, int64_t{cursor.ptScreenPos.y} - area.top, area.width,
                area.height, diameter);
  if (!placed) return false;
  const HBITMAP picture = PictureFor(pulse->button, diameter);
  if (!picture) return false;
  const HGDIOBJ previous = SelectObject(m_hPictureDC, picture);
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, pulse->opacity, AC_SRC_ALPHA};
  const CaptureRect& to = placed->target;
  const bool drawn = AlphaBlend(dc, to.left, to.top, to.width, to.height, m_hPictureDC, placed->source_left,
                                placed->source_top, to.width, to.height, blend);
  SelectObject(m_hPictureDC, previous);
  return drawn;
}

}  // namespace capture
