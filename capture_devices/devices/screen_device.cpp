// "screen-capture-recorder": the primary screen, or the area in the capture-area registry
// values read when the device is opened (on any monitor), with the mouse pointer drawn in and,
// when the value "show_clicks" beside them is set, a ring under it while a button is clicked.
// Everything is in the screen's own pixels, whatever the DPI awareness of the host. Offered
// first as planar 4:2:0, converted here, which the encoder records as it is; RGB for other
// hosts. A frame too large for the encoder shows the whole area scaled down, never a part.
#include "capture_devices/devices/devices.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "capture_devices/devices/screen_click_ring.h"
#include "capture_devices/devices/screen_dpi.h"
#include "capture_devices/rules/capture_area.h"
#include "capture_devices/rules/i420.h"

namespace capture {
namespace {

constexpr int64_t kMinInterval = 10000000 / 120;  // up to 120 frames per second
constexpr int64_t kMaxInterval = 10000000;        // down to one frame per second

std::optional<uint32_t> ReadAreaValue(HKEY key, const wchar_t* name) {
  DWORD value = 0, type = 0, size = sizeof(value);
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof(value))
    return std::nullopt;
  return value;
}

// The device's registry values: the capture area, and whether clicks are shown (no value: not).
struct DeviceValues {
  AreaValues area;
  bool show_clicks = false;
};

DeviceValues ReadDeviceValues() {
  DeviceValues values;
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\screen-capture-recorder", 0, KEY_READ, &key) != ERROR_SUCCESS)
    return values;
  values.area.start_x = ReadAreaValue(key, L"start_x");
  values.area.start_y = ReadAreaValue(key, L"start_y");
  values.area.capture_width = ReadAreaValue(key, L"capture_width");
  values.area.capture_height = ReadAreaValue(key, L"capture_height");
  values.show_clicks = ReadAreaValue(key, L"show_clicks").value_or(0) != 0;
  RegCloseKey(key);
  return values;
}

// What the device takes when it is opened, on the host's thread.
struct OpenedScreen {
  CaptureRect area;
  int32_t screen_width = 0, screen_height = 0;  // the primary screen
  const char* awareness = "";                   // the opening thread's, while the sizes were read
  bool show_clicks = false;
};

OpenedScreen OpenScreen() {
  const ScopedThreadDpiAware aware;
  OpenedScreen opened;
  opened.screen_width = GetSystemMetrics(SM_CXSCREEN);
  opened.screen_height = GetSystemMetrics(SM_CYSCREEN);
  opened.awareness = ThreadDpiAwarenessName();
  const DeviceValues values = ReadDeviceValues();
  opened.area = ChooseCaptureRect(values.area, opened.screen_width, opened.screen_height);
  opened.show_clicks = values.show_clicks;
  return opened;
}

// Milliseconds spent in one step of making a frame, summed over the frames.
class StepTimer {
 public:
  StepTimer() { QueryPerformanceFrequency(&m_freq); }
  void Start() { QueryPerformanceCounter(&m_start); }
  // Adds the time since Start (or the last Lap) to `total_ms`, and starts the next step.
  void Lap(double& total_ms) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    total_ms += static_cast<double>(now.QuadPart - m_start.QuadPart) * 1000.0 / static_cast<double>(m_freq.QuadPart);
    m_start = now;
  }

 private:
  LARGE_INTEGER m_freq{}, m_start{};
};

// The pointer's hot spot, looked up once per cursor shape.
class CursorCache {
 public:
  POINT HotSpot(HCURSOR cursor) {
    if (cursor != m_hCursor) {
      m_hCursor = cursor;
      m_ptHot = POINT{0, 0};
      ICONINFO info{};
      if (GetIconInfo(cursor, &info)) {
        m_ptHot = POINT{static_cast<LONG>(info.xHotspot), static_cast<LONG>(info.yHotspot)};
        if (info.hbmMask) DeleteObject(info.hbmMask);
        if (info.hbmColor) DeleteObject(info.hbmColor);
      }
    }
    return m_ptHot;
  }

 private:
  HCURSOR m_hCursor = nullptr;
  POINT m_ptHot{0, 0};
};

class ScreenStream final : public CaptureStream {
 public:
  ScreenStream() : m_opened(OpenScreen()), m_rcArea(m_opened.area) {
    for (const GUID* subtype : {&kMediaSubtypeI420, &MEDIASUBTYPE_RGB32, &MEDIASUBTYPE_RGB24}) {
      const FrameSize size = FitFrameSize(m_rcArea, BitsPerPixel(*subtype));
      m_caps.push_back(MakeVideoCaps(*subtype, size.width, size.height, 400000, kMinInterval, kMaxInterval));
    }
  }
  ~ScreenStream() override { End(); }

  bool IsVideo() const override { return true; }
  const std::vector<StreamCaps>& Capabilities() const override { return m_caps; }

  bool DrawsIntoBitmaps() const override { return true; }

  bool Begin(const MediaType& format) override {
    const VIDEOINFOHEADER* vih = format.VideoInfo();
    if (!vih) return false;
    m_bPlanar = format.get().subtype == kMediaSubtypeI420;
    m_frame = FrameSize{vih->bmiHeader.biWidth, std::abs(vih->bmiHeader.biHeight)};
    m_nImageBytes = static_cast<long>(vih->bmiHeader.biSizeImage);
    m_info.bmiHeader = vih->bmiHeader;
    if (m_bPlanar) {
      // Read as 32-bit pixels, bottom row first as the screen reads fastest under Wine,
      // converted into the sample after.
      m_info.bmiHeader.biBitCount = 32;
      m_info.bmiHeader.biCompression = BI_RGB;
      m_info.bmiHeader.biSizeImage = 0;
    }
    // The streaming thread reads the screen, the monitors and the pointer in physical pixels.
    MakeThreadDpiAware();
    m_szCaptureAwareness = ThreadDpiAwarenessName();
    m_hScreenDC = GetDC(nullptr);
    m_hMemDC = CreateCompatibleDC(m_hScreenDC);
    if (!m_hScreenDC || !m_hMemDC) return false;
    // A scaled frame is drawn with averaged pixels, not every n-th one.
    SetStretchBltMode(m_hMemDC, HALFTONE);
    SetBrushOrgEx(m_hMemDC, 0, 0, nullptr);
    // Each run starts with no memory of earlier clicks.
    if (m_opened.show_clicks) m_pClickRing = std::make_unique<ClickRingDrawer>();
    return true;
  }

  long Fill(BYTE* data, long capacity, HBITMAP bitmap) override {
    if (capacity < m_nImageBytes) return 0;
    // An RGB frame is drawn straight into the sample when it is a DIB section; a planar one, or
    // an RGB one into plain memory, into a bitmap of our own first.
    if (!bitmap && !m_hOwnBitmap) {
      m_hOwnBitmap = CreateDIBSection(m_hMemDC, &m_info, DIB_RGB_COLORS, &m_pOwnBits, nullptr, 0);
      if (!m_hOwnBitmap) return 0;
    }
    ++m_nFrames;
    m_timer.Start();
    const HGDIOBJ old = SelectObject(m_hMemDC, bitmap ? bitmap : m_hOwnBitmap);
    const bool read = ReadScreen(m_hMemDC);
    GdiFlush();
    m_timer.Lap(m_readMs);
    if (read) {
      // The ring is placed in screen pixels: a frame scaled down from a huge area goes without.
      if (m_pClickRing && !Scaled()) m_pClickRing->Draw(m_hMemDC, m_rcArea);  // under the pointer
      DrawPointer(m_hMemDC);
    }
    SelectObject(m_hMemDC, old);
    GdiFlush();
    m_timer.Lap(m_pointerMs);
    if (!read) {
      // A screen that cannot be read (the secure desktop, a locked workstation, a display
      // being reconfigured) records black: the sample, reused from an earlier frame, would
      // otherwise show an older picture.
      ++m_nUnreadable;
      if (m_bPlanar)
        FillI420Black(DenseI420Planes(data, m_frame.width, m_frame.height), m_frame.width, m_frame.height);
      else
        std::memset(data, 0, m_nImageBytes);
      return m_nImageBytes;
    }
    if (m_bPlanar) {
      // The top row is the bitmap's last.
      const ptrdiff_t stride = ptrdiff_t{m_frame.width} * 4;
      ConvertBgrxToI420(static_cast<const uint8_t*>(m_pOwnBits) + stride * (m_frame.height - 1), -stride, m_frame.width,
                        m_frame.height, DenseI420Planes(data, m_frame.width, m_frame.height));
    } else if (!bitmap) {
      std::memcpy(data, m_pOwnBits, m_nImageBytes);
    }
    m_timer.Lap(m_convertMs);
    return m_nImageBytes;
  }

  void End() override {
    if (m_pClickRing) m_strClickFigures = m_pClickRing->Figures();
    m_pClickRing.reset();
    if (m_hOwnBitmap) DeleteObject(m_hOwnBitmap);
    if (m_hMemDC) DeleteDC(m_hMemDC);
    if (m_hScreenDC) ReleaseDC(nullptr, m_hScreenDC);
    m_hOwnBitmap = nullptr;
    m_pOwnBits = nullptr;
    m_hMemDC = m_hScreenDC = nullptr;
  }

  std::string StatsFigures() const override {
    char figures[384];
    const double frames = m_nFrames ? static_cast<double>(m_nFrames) : 1.0;
    std::snprintf(figures, sizeof figures,
                  " opened_dpi=%s capture_dpi=%s screen=%ldx%ld area=%ld,%ld,%ldx%ld unreadable=%lld format=%s"
                  " read_ms=%.3f pointer_ms=%.3f convert_ms=%.3f",
                  m_opened.awareness, m_szCaptureAwareness, static_cast<long>(m_opened.screen_width),
                  static_cast<long>(m_opened.screen_height), static_cast<long>(m_rcArea.left),
                  static_cast<long>(m_rcArea.top), static_cast<long>(m_rcArea.width),
                  static_cast<long>(m_rcArea.height), m_nUnreadable,
                  m_bPlanar ? "I420" : (m_info.bmiHeader.biBitCount == 24 ? "RGB24" : "RGB32"), m_readMs / frames,
                  m_pointerMs / frames, m_convertMs / frames);
    return figures + m_strClickFigures;
  }

 private:
  bool Scaled() const { return m_frame.width != m_rcArea.width || m_frame.height != m_rcArea.height; }

  // Draws the capture area into `dc` at the frame's size; false when the screen could not be read.
  bool ReadScreen(HDC dc) {
    // The screen is looked at anew for every frame: after a display change the same area is
    // captured, black where it is no longer on any monitor.
    const CaptureRect screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                             GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    const CaptureRect visible = VisiblePart(m_rcArea, screen);
    if (!(visible == CaptureRect{0, 0, m_rcArea.width, m_rcArea.height}))
      PatBlt(dc, 0, 0, m_frame.width, m_frame.height, BLACKNESS);
    if (visible.width <= 0) return true;
    const int src_x = m_rcArea.left + visible.left, src_y = m_rcArea.top + visible.top;
    if (!Scaled())
      return BitBlt(dc, visible.left, visible.top, visible.width, visible.height, m_hScreenDC, src_x, src_y, SRCCOPY);
    const POINT top_left = ToFrame(POINT{src_x, src_y});
    const POINT bottom_right = ToFrame(POINT{src_x + visible.width, src_y + visible.height});
    return StretchBlt(dc, top_left.x, top_left.y, bottom_right.x - top_left.x, bottom_right.y - top_left.y, m_hScreenDC,
                      src_x, src_y, visible.width, visible.height, SRCCOPY);
  }

  // A point on the screen in the frame's pixels.
  POINT ToFrame(POINT screen) const {
    return POINT{static_cast<LONG>(int64_t{screen.x - m_rcArea.left} * m_frame.width / m_rcArea.width),
                 static_cast<LONG>(int64_t{screen.y - m_rcArea.top} * m_frame.height / m_rcArea.height)};
  }

  void DrawPointer(HDC dc) {
    CURSORINFO cursor{};
    cursor.cbSize = sizeof(cursor);
    if (!GetCursorInfo(&cursor) || !(cursor.flags & CURSOR_SHOWING)) return;
    const POINT at = ToFrame(cursor.ptScreenPos);
    const auto draw = [&](HCURSOR shape, POINT hot) {
      return DrawIconEx(dc, at.x - hot.x, at.y - hot.y, shape, 0, 0, 0, nullptr, DI_NORMAL);
    };
    // A pointer shown by another program may come without its handle, or with one that draws
    // nothing here (Wine keeps other programs' shapes to themselves): the standard arrow stands
    // in for it.
    if (cursor.hCursor && draw(cursor.hCursor, m_cursors.HotSpot(cursor.hCursor))) return;
    draw(m_hArrow, m_arrowHotSpot.HotSpot(m_hArrow));
  }

  const OpenedScreen m_opened;
  const CaptureRect m_rcArea;
  const char* m_szCaptureAwareness = "";  // the streaming thread's
  long long m_nUnreadable = 0;            // frames made black because the screen could not be read
  std::vector<StreamCaps> m_caps;
  // The delivered format, set by Begin: planar or RGB, the frame's size and bytes.
  bool m_bPlanar = false;
  FrameSize m_frame;
  long m_nImageBytes = 0;
  BITMAPINFO m_info{};  // of the bitmap the screen is read into
  HDC m_hScreenDC = nullptr;
  HDC m_hMemDC = nullptr;
  HBITMAP m_hOwnBitmap = nullptr;
  void* m_pOwnBits = nullptr;
  const HCURSOR m_hArrow = LoadCursorW(nullptr, IDC_ARROW);
  CursorCache m_cursors;
  CursorCache m_arrowHotSpot;                     // the stand-in's
  std::unique_ptr<ClickRingDrawer> m_pClickRing;  // while a run shows clicks
  std::string m_strClickFigures;                  // its figures, kept when the run ends
  // Where a frame's time goes, summed over m_nFrames.
  StepTimer m_timer;
  long long m_nFrames = 0;
  double m_readMs = 0, m_pointerMs = 0, m_convertMs = 0;
};

}  // namespace

std::unique_ptr<CaptureStream> CreateScreenStream() { return std::make_unique<ScreenStream>(); }

}  // namespace capture
