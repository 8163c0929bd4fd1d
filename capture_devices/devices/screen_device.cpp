// "screen-capture-recorder": the primary screen, or the area in the capture-area registry
// values read when the device is opened, with the mouse pointer drawn in.
#include "capture_devices/devices/devices.h"

#include <windows.h>

#include <cstring>

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

AreaValues ReadAreaValues() {
  AreaValues values;
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\screen-capture-recorder", 0, KEY_READ, &key) != ERROR_SUCCESS)
    return values;
  values.start_x = ReadAreaValue(key, L"start_x");
  values.start_y = ReadAreaValue(key, L"start_y");
  values.capture_width = ReadAreaValue(key, L"capture_width");
  values.capture_height = ReadAreaValue(key, L"capture_height");
  RegCloseKey(key);
  return values;
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
  ScreenStream()
      : m_rcArea(ChooseCaptureRect(ReadAreaValues(), GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN))) {
    for (const GUID* subtype : {&MEDIASUBTYPE_RGB32, &MEDIASUBTYPE_RGB24})
      m_caps.push_back(MakeVideoCaps(*subtype, m_rcArea.width, m_rcArea.height, 400000, kMinInterval, kMaxInterval));
  }
  ~ScreenStream() override { End(); }

  bool IsVideo() const override { return true; }
  const std::vector<StreamCaps>& Capabilities() const override { return m_caps; }

  bool Begin(const MediaType& format) override {
    const VIDEOINFOHEADER* vih = format.VideoInfo();
    if (!vih) return false;
    BITMAPINFO info{};
    info.bmiHeader = vih->bmiHeader;
    info.bmiHeader.biSizeImage = 0;
    m_nImageBytes = vih->bmiHeader.biSizeImage;
    m_hScreenDC = GetDC(nullptr);
    m_hMemDC = CreateCompatibleDC(m_hScreenDC);
    m_hBitmap = CreateDIBSection(m_hMemDC, &info, DIB_RGB_COLORS, &m_pBits, nullptr, 0);
    if (!m_hScreenDC || !m_hMemDC || !m_hBitmap || !m_pBits) return false;
    m_hOldBitmap = SelectObject(m_hMemDC, m_hBitmap);
    return true;
  }

  long Fill(BYTE* data, long capacity) override {
    if (capacity < static_cast<long>(m_nImageBytes)) return 0;
    // The screen is looked at anew for every frame: after a display change the same area is
    // captured, black where it is no longer on the screen.
    const CaptureRect screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                             GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    const CaptureRect visible = VisiblePart(m_rcArea, screen);
    if (!(visible == CaptureRect{0, 0, m_rcArea.width, m_rcArea.height}))
      PatBlt(m_hMemDC, 0, 0, m_rcArea.width, m_rcArea.height, BLACKNESS);
    if (visible.width > 0)
      BitBlt(m_hMemDC, visible.left, visible.top, visible.width, visible.height, m_hScreenDC,
             m_rcArea.left + visible.left, m_rcArea.top + visible.top, SRCCOPY);
    DrawPointer();
    GdiFlush();
    std::memcpy(data, m_pBits, m_nImageBytes);
    return static_cast<long>(m_nImageBytes);
  }

  void End() override {
    if (m_hOldBitmap) SelectObject(m_hMemDC, m_hOldBitmap);
    if (m_hBitmap) DeleteObject(m_hBitmap);
    if (m_hMemDC) DeleteDC(m_hMemDC);
    if (m_hScreenDC) ReleaseDC(nullptr, m_hScreenDC);
    m_hOldBitmap = m_hBitmap = nullptr;
    m_hMemDC = m_hScreenDC = nullptr;
    m_pBits = nullptr;
  }

 private:
  void DrawPointer() {
    CURSORINFO cursor{};
    cursor.cbSize = sizeof(cursor);
    if (!GetCursorInfo(&cursor) || !(cursor.flags & CURSOR_SHOWING) || !cursor.hCursor) return;
    const POINT hot = m_cursors.HotSpot(cursor.hCursor);
    DrawIconEx(m_hMemDC, cursor.ptScreenPos.x - hot.x - m_rcArea.left, cursor.ptScreenPos.y - hot.y - m_rcArea.top,
               cursor.hCursor, 0, 0, 0, nullptr, DI_NORMAL);
  }

  const CaptureRect m_rcArea;
  std::vector<StreamCaps> m_caps;
  HDC m_hScreenDC = nullptr;
  HDC m_hMemDC = nullptr;
  HBITMAP m_hBitmap = nullptr;
  HGDIOBJ m_hOldBitmap = nullptr;
  void* m_pBits = nullptr;
  DWORD m_nImageBytes = 0;
  CursorCache m_cursors;
};

}  // namespace

std::unique_ptr<CaptureStream> CreateScreenStream() { return std::make_unique<ScreenStream>(); }

}  // namespace capture
