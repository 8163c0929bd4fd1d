// "screen-capture-recorder": the primary screen, or the area in the capture-area registry
// values read when the device is opened (on any monitor), with the mouse pointer drawn in and,
// when the value "show_clicks" beside them is set, a ring under it while a button is clicked.
// Everything is in the screen's own pixels, whatever the DPI awareness of the host.
#include "capture_devices/devices/devices.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "capture_devices/devices/screen_click_ring.h"
#include "capture_devices/devices/screen_dpi.h"
#include "capture_devices/rules/capture_area.h"
#include "capture_devices/rules/test_pattern.h"

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
    for (const GUID* subtype : {&MEDIASUBTYPE_RGB32, &MEDIASUBTYPE_RGB24})
      m_caps.push_back(MakeVideoCaps(*subtype, m_rcArea.width, m_rcArea.height, 400000, kMinInterval, kMaxInterval));
  }
  ~ScreenStream() override { End(); }

  bool IsVideo() const override { return true; }
  const std::vector<StreamCaps>& Capabilities() const override { return m_caps; }

  bool DrawsIntoBitmaps() const override { return true; }

  bool Begin(const MediaType& format) override {
    const VIDEOINFOHEADER* vih = format.VideoInfo();
    if (!vih) return false;
    m_info.bmiHeader = vih->bmiHeader;
    // The streaming thread reads the screen, the monitors and the pointer in physical pixels.
    MakeThreadDpiAware();
    m_szCaptureAwareness = ThreadDpiAwarenessName();
    m_hScreenDC = GetDC(nullptr);
    m_hMemDC = CreateCompatibleDC(m_hScreenDC);
    // Each run starts with no memory of earlier clicks.
    if (m_opened.show_clicks) m_pClickRing = std::make_unique<ClickRingDrawer>();
    return m_hScreenDC && m_hMemDC;
  }

  long Fill(BYTE* data, long capacity, HBITMAP bitmap) override {
    const long image_bytes = static_cast<long>(m_info.bmiHeader.biSizeImage);
    if (capacity < image_bytes) return 0;
    // Drawn straight into the sample when it is a DIB section; otherwise into a bitmap of our
    // own, copied after.
    if (!bitmap && !m_hOwnBitmap) {
      m_hOwnBitmap = CreateDIBSection(m_hMemDC, &m_info, DIB_RGB_COLORS, &m_pOwnBits, nullptr, 0);
      if (!m_hOwnBitmap) return 0;
    }
    const HGDIOBJ old = SelectObject(m_hMemDC, bitmap ? bitmap : m_hOwnBitmap);
    const bool read = CaptureInto(m_hMemDC);
    SelectObject(m_hMemDC, old);
    GdiFlush();
    if (!read) {
      // A screen that cannot be read (the secure desktop, a locked workstation, a display
      // being reconfigured) records black: the sample, reused from an earlier frame, would
      // otherwise show an older picture.
      ++m_nUnreadable;
      std::memset(data, 0, image_bytes);
      return image_bytes;
    }
    if (!bitmap) std::memcpy(data, m_pOwnBits, image_bytes);
    return image_bytes;
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
    char figures[256];
    std::snprintf(
        figures, sizeof figures, " opened_dpi=%s capture_dpi=%s screen=%ldx%ld area=%ld,%ld,%ldx%ld unreadable=%lld",
        m_opened.awareness, m_szCaptureAwareness, static_cast<long>(m_opened.screen_width),
        static_cast<long>(m_opened.screen_height), static_cast<long>(m_rcArea.left), static_cast<long>(m_rcArea.top),
        static_cast<long>(m_rcArea.width), static_cast<long>(m_rcArea.height), m_nUnreadable);
    return figures + m_strClickFigures;
  }

 private:
  // False when the screen could not be read; nothing is then drawn, not even the pointer.
  bool CaptureInto(HDC dc) {
    // The screen is looked at anew for every frame: after a display change the same area is
    // captured, black where it is no longer on any monitor.
    const CaptureRect screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                             GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    const CaptureRect visible = VisiblePart(m_rcArea, screen);
    if (!(visible == CaptureRect{0, 0, m_rcArea.width, m_rcArea.height}))
      PatBlt(dc, 0, 0, m_rcArea.width, m_rcArea.height, BLACKNESS);
    if (visible.width > 0 && !BitBlt(dc, visible.left, visible.top, visible.width, visible.height, m_hScreenDC,
                                     m_rcArea.left + visible.left, m_rcArea.top + visible.top, SRCCOPY))
      return false;
    if (m_pClickRing) m_pClickRing->Draw(dc, m_rcArea);  // under the pointer
    DrawPointer(dc);
    return true;
  }

  void DrawPointer(HDC dc) {
    CURSORINFO cursor{};
    cursor.cbSize = sizeof(cursor);
    if (!GetCursorInfo(&cursor) || !(cursor.flags & CURSOR_SHOWING)) return;
    const auto draw = [&](HCURSOR shape, POINT hot) {
      return DrawIconEx(dc, cursor.ptScreenPos.x - hot.x - m_rcArea.left, cursor.ptScreenPos.y - hot.y - m_rcArea.top,
                        shape, 0, 0, 0, nullptr, DI_NORMAL);
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
  BITMAPINFO m_info{};
  HDC m_hScreenDC = nullptr;
  HDC m_hMemDC = nullptr;
  HBITMAP m_hOwnBitmap = nullptr;
  void* m_pOwnBits = nullptr;
  const HCURSOR m_hArrow = LoadCursorW(nullptr, IDC_ARROW);
  CursorCache m_cursors;
  CursorCache m_arrowHotSpot;                     // the stand-in's
  std::unique_ptr<ClickRingDrawer> m_pClickRing;  // while a run shows clicks
  std::string m_strClickFigures;                  // its figures, kept when the run ends
};

}  // namespace

std::unique_ptr<CaptureStream> CreateScreenStream() { return std::make_unique<ScreenStream>(); }

}  // namespace capture
