#include "controls/hover_button_win.h"

#include <commctrl.h>

#include "controls/corner_trim.h"
#include "controls/scaled_bitmap_win.h"
#include "controls/strip_frames.h"

CHoverButton::~CHoverButton() {
  // The tooltip is a child of the button and goes with it; if the button outlives us,
  // take it down now so it never calls into a dead object's window.
  if (m_hToolTip && IsWindow(m_hToolTip)) DestroyWindow(m_hToolTip);
}

void CHoverButton::PreSubclassWindow() {
  const LONG_PTR style = GetWindowLongPtrW(m_hWnd, GWL_STYLE);
  SetWindowLongPtrW(m_hWnd, GWL_STYLE, style | BS_OWNERDRAW);
}

BOOL CHoverButton::LoadStripBitmap(const std::wstring& path) {
  m_strStripPath = path;
  m_bmStrip.Reset(static_cast<HBITMAP>(LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
  if (!m_bmStrip) return TRUE;
  if (m_nDpi != kDesignDpi) {
    // Made once per strip and scale; painting then copies frames as they are.
    if (HBITMAP scaled = ScaleSkinBitmap(m_bmStrip.Get(), 3, m_nDpi, m_crKey)) m_bmStrip.Reset(scaled);
  }
  BITMAP info{};
  GetObjectW(m_bmStrip.Get(), sizeof(info), &info);
  const FrameSize frame = FrameSizeOfStrip(info.bmWidth, info.bmHeight);
  m_nFrameWidth = frame.width;
  m_nFrameHeight = frame.height;
  if (m_hWnd) {
    SetWindowPos(m_hWnd, nullptr, 0, 0, m_nFrameWidth, m_nFrameHeight, SWP_NOMOVE | SWP_NOOWNERZORDER);
  }
  return TRUE;
}

void CHoverButton::SetDpi(int dpi) {
  if (dpi == m_nDpi) return;
  m_nDpi = dpi;
  if (!m_strStripPath.empty()) LoadStripBitmap(m_strStripPath);
  if (m_hToolTip && m_hWnd && SendMessageW(m_hToolTip, TTM_GETTOOLCOUNT, 0, 0) > 0) {
    // The tip belongs to the button's new size.
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = m_hWnd;
    tool.uId = 1;
    GetClientRect(m_hWnd, &tool.rect);
    SendMessageW(m_hToolTip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void CHoverButton::DrawItem(const DRAWITEMSTRUCT& item) {
  if (!m_bmStrip) return;
  const StripFrame frame = ChooseFrame((item.itemState & ODS_SELECTED) != 0, m_bHover != FALSE);
  ScopedMemoryDC strip_dc(item.hDC);
  ScopedMemoryDC frame_dc(item.hDC);
  ScopedBitmap frame_bitmap(CreateCompatibleBitmap(item.hDC, m_nFrameWidth, m_nFrameHeight));
  if (!strip_dc || !frame_dc || !frame_bitmap) return;
  ScopedSelect strip_selected(strip_dc.Get(), m_bmStrip.Get());
  ScopedSelect frame_selected(frame_dc.Get(), frame_bitmap.Get());
  // The frame goes through a bitmap of its own, which then holds the button's picture in
  // client coordinates for the corner scan (the screen may not give its pixels back).
  BitBlt(frame_dc.Get(), 0, 0, m_nFrameWidth, m_nFrameHeight, strip_dc.Get(), FrameLeft(frame, m_nFrameWidth), 0,
         SRCCOPY);
  TrimCorners(frame_dc.Get(), m_hWnd, m_crKey);
  // Draw within the shape: not every window system clips a child's painting to its
  // region, and the key-coloured corners must never reach the screen.
  const int saved = SaveDC(item.hDC);
  ScopedRegion shape(CreateRectRgn(0, 0, 0, 0));
  if (GetWindowRgn(m_hWnd, shape.Get()) != ERROR) ExtSelectClipRgn(item.hDC, shape.Get(), RGN_AND);
  BitBlt(item.hDC, 0, 0, m_nFrameWidth, m_nFrameHeight, frame_dc.Get(), 0, 0, SRCCOPY);
  RestoreDC(item.hDC, saved);
}

void CHoverButton::TrimCorners(HDC source, HWND window, COLORREF key) {
  RECT client{};
  GetClientRect(window, &client);
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  ScopedRegion region(CreateRectRgn(0, 0, width, height));
  if (!region) return;
  const auto cuts = FindCornerCuts(width, height, [&](int x, int y) {
    const COLORREF pixel = GetPixel(source, x, y);
    return pixel != CLR_INVALID && pixel == key;
  });
  for (const PixelPoint& p : cuts) {
    ScopedRegion dot(CreateRectRgn(p.x, p.y, p.x + 1, p.y + 1));
    CombineRgn(region.Get(), region.Get(), dot.Get(), RGN_DIFF);
  }
  // Setting a region repaints the button, which draws and trims again: hand over a
  // region only when the shape changes, or the button would repaint for ever.
  ScopedRegion current(CreateRectRgn(0, 0, 0, 0));
  const int kind = GetWindowRgn(window, current.Get());
  const bool unchanged = kind != ERROR ? EqualRgn(current.Get(), region.Get()) != FALSE : cuts.empty();
  if (unchanged) return;
  SetWindowRgn(window, region.Release(), TRUE);
  // The cut-away corners now show the parent, which may still hold the frame's key
  // colour there: have it paint them (the button then draws again, with the same shape).
  if (HWND parent = GetParent(window)) {
    RECT under{};
    GetWindowRect(window, &under);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&under), 2);
    RedrawWindow(parent, &under, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }
}

void CHoverButton::CreateToolTipOnDemand() {
  if (m_hToolTip || !m_hWnd) return;
  m_hToolTip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, m_hWnd, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (m_hToolTip) SendMessageW(m_hToolTip, TTM_ACTIVATE, FALSE, 0);
}

bool CHoverButton::PreTranslateMessage(MSG* msg) {
  CreateToolTipOnDemand();
  if (m_hToolTip) SendMessageW(m_hToolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
  return false;
}

void CHoverButton::SetToolTipText(const wchar_t* text) {
  if (!text) return;
  CreateToolTipOnDemand();
  if (!m_hToolTip) return;
  TOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.hwnd = m_hWnd;
  tool.uId = 1;
  tool.lpszText = const_cast<wchar_t*>(text);
  if (SendMessageW(m_hToolTip, TTM_GETTOOLCOUNT, 0, 0) == 0) {
    GetClientRect(m_hWnd, &tool.rect);
    SendMessageW(m_hToolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  SendMessageW(m_hToolTip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(m_hToolTip, TTM_ACTIVATE, TRUE, 0);
}

bool CHoverButton::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  switch (message) {
    case WM_MOUSEMOVE:
      if (!m_bTracking) {
        TRACKMOUSEEVENT track{sizeof(track), TME_HOVER | TME_LEAVE, m_hWnd, 1};
        m_bTracking = TrackMouseEvent(&track);
      }
      result = Default(message, wparam, lparam);
      return true;
    case WM_MOUSEHOVER:
      if (!m_bHover) {
        m_bHover = TRUE;
        InvalidateRect(m_hWnd, nullptr, TRUE);
        // Some window systems (Wine) find the leave by polling the cursor at the hover
        // time: at 1 ms that costs the bar several per cent of a core while the mouse rests
        // on a button. Tracking again with a longer hover time keeps the leave prompt; the
        // second hover it brings changes nothing.
        TRACKMOUSEEVENT track{sizeof(track), TME_HOVER | TME_LEAVE, m_hWnd, kLeavePollMilliseconds};
        TrackMouseEvent(&track);
      }
      result = 0;
      return true;
    case WM_MOUSELEAVE:
      m_bTracking = FALSE;
      m_bHover = FALSE;
      InvalidateRect(m_hWnd, nullptr, TRUE);
      result = 0;
      return true;
    case WM_ERASEBKGND:
      // The frame covers the whole button; an erase would only paint the cut corners
      // where the window system does not clip to the region.
      result = TRUE;
      return true;
    case WM_SETCURSOR:
      // Without a cursor of its own the button leaves the current shape alone.
      if (m_hCursor) SetCursor(m_hCursor);
      result = m_hCursor ? TRUE : FALSE;
      return true;
    default:
      return false;
  }
}
