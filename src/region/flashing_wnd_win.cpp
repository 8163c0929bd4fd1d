#include "region/flashing_wnd_win.h"

#include <algorithm>

#include "framework/gdi_guards.h"
#include "framework/message_map.h"
#include "region/capture_area_win.h"
#include "region/frame_rules.h"

namespace {

constexpr wchar_t kFrameClass[] = L"Quorlin.RecordingFrame";

AreaRect ToArea(const RECT& rc) { return {rc.left, rc.top, rc.right, rc.bottom}; }

UINT HitCode(FrameZone zone) {
  switch (zone) {
    case FrameZone::kMove:
      return HTCAPTION;
    case FrameZone::kTopLeft:
      return HTTOPLEFT;
    case FrameZone::kLeft:
      return HTLEFT;
    case FrameZone::kBottomLeft:
      return HTBOTTOMLEFT;
    case FrameZone::kTopRight:
      return HTTOPRIGHT;
    case FrameZone::kRight:
      return HTRIGHT;
    case FrameZone::kBottomRight:
      return HTBOTTOMRIGHT;
    case FrameZone::kBottom:
      return HTBOTTOM;
    case FrameZone::kNone:
      break;
  }
  return HTNOWHERE;
}

}  // namespace

bool CFlashingWnd::CreateFrameWindow() {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefWindowProcW;  // our handlers come in when the window is attached
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kFrameClass;
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  // A tool window, so the frame gets no taskbar button of its own.
  HWND hwnd = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kFrameClass, L"rec_area", WS_POPUP, 0, 0, 200, 200,
                              nullptr, nullptr, instance, nullptr);
  return hwnd && SubclassWindow(hwnd);
}

bool CFlashingWnd::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  static const MessageMap<CFlashingWnd> map{{
      {WM_ERASEBKGND, &CFlashingWnd::OnEraseBackground},
      {WM_PAINT, &CFlashingWnd::OnPaint},
      {WM_NCHITTEST, &CFlashingWnd::OnNcHitTest},
      {WM_SIZE, &CFlashingWnd::OnSize},
      {WM_MOVE, &CFlashingWnd::OnMove},
      {WM_GETMINMAXINFO, &CFlashingWnd::OnGetMinMaxInfo},
      {WM_DPICHANGED, &CFlashingWnd::OnDpiChanged},
      {WM_ENTERSIZEMOVE, &CFlashingWnd::OnEnterSizeMove},
      {WM_EXITSIZEMOVE, &CFlashingWnd::OnExitSizeMove},
      {WM_CLOSE, &CFlashingWnd::OnClose},
  }};
  return map.Dispatch(this, message, wparam, lparam, result);
}

LRESULT CFlashingWnd::OnPaint(WPARAM, LPARAM) {
  // Where nothing keeps the window's pixels (no desktop composition), an uncovered band
  // is drawn again, with the corner marks of the current lock state.
  { ScopedPaint paint(m_hWnd); }
  DrawFrame(kFrameBandColour, m_bLocked ? kFrameCornerRecording : kFrameCornerIdle);
  return 0;
}

LRESULT CFlashingWnd::OnNcHitTest(WPARAM wparam, LPARAM lparam) {
  const LRESULT fallback = Default(WM_NCHITTEST, wparam, lparam);
  if (m_bLocked) return fallback;
  // Signed screen coordinates: a frame may reach past the left or top edge.
  POINT pt = {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
  ScreenToClient(m_hWnd, &pt);
  RECT client;
  GetClientRect(m_hWnd, &client);
  const FrameZone zone =
      FrameZoneAt(pt.x, pt.y, ToArea(client), 2 * GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CYDLGFRAME));
  return zone == FrameZone::kNone ? fallback : HitCode(zone);
}

LRESULT CFlashingWnd::OnSize(WPARAM wparam, LPARAM lparam) {
  Default(WM_SIZE, wparam, lparam);
  UpdateFrame();
  return 0;
}

LRESULT CFlashingWnd::OnMove(WPARAM wparam, LPARAM lparam) {
  Default(WM_MOVE, wparam, lparam);
  UpdateFrame();
  return 0;
}

LRESULT CFlashingWnd::OnGetMinMaxInfo(WPARAM wparam, LPARAM lparam) {
  Default(WM_GETMINMAXINFO, wparam, lparam);
  auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
  info->ptMinTrackSize.x = std::max<LONG>(info->ptMinTrackSize.x, kFrameMinimumSize);
  info->ptMinTrackSize.y = std::max<LONG>(info->ptMinTrackSize.y, kFrameMinimumSize);
  return 0;
}

LRESULT CFlashingWnd::OnDpiChanged(WPARAM, LPARAM lparam) {
  // Dragged by the user onto a monitor of another scale, the frame takes the place the system
  // suggests, so that it marks as much of the content there as before (the move evens it and
  // writes the new area). Placed by the program (on an accepted selection), it keeps the
  // pixels it was given; and while a recording runs the recorded area cannot change.
  if (!m_bUserMoving || m_bLocked) return 0;
  const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
  MoveWindow(m_hWnd, suggested->left, suggested->top, suggested->right - suggested->left,
             suggested->bottom - suggested->top, TRUE);
  return 0;
}

LRESULT CFlashingWnd::OnEnterSizeMove(WPARAM wparam, LPARAM lparam) {
  m_bUserMoving = true;
  return Default(WM_ENTERSIZEMOVE, wparam, lparam);
}

LRESULT CFlashingWnd::OnExitSizeMove(WPARAM wparam, LPARAM lparam) {
  m_bUserMoving = false;
  return Default(WM_EXITSIZEMOVE, wparam, lparam);
}

void CFlashingWnd::UpdateFrame() {
  RECT client;
  GetClientRect(m_hWnd, &client);
  ScopedRegion band(CreateRectRgn(0, 0, client.right, client.bottom));
  ScopedRegion inside(CreateRectRgn(kFrameBand, kFrameBand, client.right - kFrameBand, client.bottom - kFrameBand));
  if (band && inside && CombineRgn(band.Get(), band.Get(), inside.Get(), RGN_DIFF) != ERROR) {
    m_hFrameRgn = band.Get();
    // The window system owns the region from here on.
    SetWindowRgn(m_hWnd, band.Release(), TRUE);
  }
  DrawFrame(kFrameBandColour, kFrameCornerIdle);

  RECT rc;
  GetWindowRect(m_hWnd, &rc);
  const AreaRect window = ToArea(rc);
  const AreaRect even = EvenFrameRect(window);
  // Each correction moves the window, and this runs again, nested, for the new size.
  if (even.Height() != window.Height())
    MoveWindow(m_hWnd, window.left, window.top, window.Width(), even.Height(), TRUE);
  if (even.Width() != window.Width()) MoveWindow(m_hWnd, window.left, window.top, even.Width(), even.Height(), TRUE);

  const AreaRect inner = FrameInside(even);
  RECT area = {inner.left, inner.top, inner.right, inner.bottom};
  // Sent, not posted: the pointer is good only during the call.
  SendMessageW(m_hNotifyWnd, kWmAreaChanged, reinterpret_cast<WPARAM>(&area), 0);
  WriteCaptureArea(area.left, area.top, area.right, area.bottom);
}

void CFlashingWnd::FillSolid(HDC dc, const RECT& rc, COLORREF colour) {
  ScopedBrush brush(CreateSolidBrush(colour));
  ScopedPen pen(CreatePen(PS_SOLID, 1, colour));
  ScopedSelect use_brush(dc, brush.Get());
  ScopedSelect use_pen(dc, pen.Get());
  Rectangle(dc, rc.left, rc.top, rc.right, rc.bottom);
}

void CFlashingWnd::DrawFrame(COLORREF band, COLORREF corner) {
  if (!m_hWnd) return;  // GetDC(nullptr) would be the whole screen
  RECT rc;
  GetClientRect(m_hWnd, &rc);
  ScopedWindowDC dc(m_hWnd);
  if (!dc) return;
  FillSolid(dc.Get(), rc, band);
  m_crFrame = band;
  const LONG m = kFrameCornerMark;
  const RECT corners[] = {{rc.left, rc.top, rc.left + m, rc.top + m},
                          {rc.left, rc.bottom - m, rc.left + m, rc.bottom},
                          {rc.right - m, rc.top, rc.right, rc.top + m},
                          {rc.right - m, rc.bottom - m, rc.right, rc.bottom}};
  for (const RECT& square : corners) FillSolid(dc.Get(), square, corner);
}
