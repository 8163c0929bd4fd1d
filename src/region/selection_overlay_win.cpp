#include "region/selection_overlay_win.h"

#include <string>

#include "framework/message_map.h"
#include "region/capture_area_win.h"
#include "region/selection_rules.h"

namespace {

constexpr wchar_t kInputClass[] = L"Quorlin.AreaInput";
constexpr wchar_t kShadingClass[] = L"Quorlin.AreaShading";
constexpr BYTE kShadingAlpha = 120;
// Visible to nobody, yet not 0: a layered window lets the mouse through where it is fully
// transparent, and the input window must get it.
constexpr BYTE kInputAlpha = 1;

AreaRect ToArea(const RECT& rc) { return {rc.left, rc.top, rc.right, rc.bottom}; }
RECT ToRect(const AreaRect& area) { return {area.left, area.top, area.right, area.bottom}; }

// The rectangle around every monitor, which the overlay covers and a selection may take.
AreaRect VirtualScreen() {
  const int32_t left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int32_t top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return {left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN), top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

// Where the cursor was when the message being handled came about, in screen coordinates:
// a press is anchored where it happened even when its message is handled late.
POINT CursorPos() {
  const DWORD pos = GetMessagePos();
  return {static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
}

}  // namespace

CShiftRegionWindow2::CShiftRegionWindow2() : m_rcScreen(VirtualScreen()) {}

bool CShiftRegionWindow2::CreateOverlayWindow(const wchar_t* class_name, const wchar_t* title, DWORD ex_style,
                                              HBRUSH background) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW;
  wc.lpfnWndProc = DefWindowProcW;  // our handlers come in when the window is attached
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(nullptr, IDI_WINLOGO);
  wc.hCursor = LoadCursorW(nullptr, IDC_CROSS);
  wc.hbrBackground = background;
  wc.lpszClassName = class_name;
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  // Tool windows: no taskbar buttons for the overlay.
  HWND hwnd = CreateWindowExW(ex_style | WS_EX_LAYERED | WS_EX_TOOLWINDOW, class_name, title, WS_POPUP, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
  return hwnd && SubclassWindow(hwnd);
}

bool CShiftRegionWindow2::CreateRegionWindows(HWND bar) {
  if (!CreateOverlayWindow(kInputClass, L"area", WS_EX_TOPMOST, nullptr)) return false;
  SetLayeredWindowAttributes(m_hWnd, 0, kInputAlpha, LWA_ALPHA);
  if (!m_wndFrame.CreateFrameWindow()) return false;
  m_wndFrame.m_hFrameRgn = nullptr;
  m_wndFrame.m_bLocked = FALSE;
  m_wndFrame.m_hNotifyWnd = bar;
  m_hNotifyWnd = bar;

  m_pShadingWnd = std::make_unique<CShiftRegionWindow2>();
  CShiftRegionWindow2& shading = *m_pShadingWnd;
  if (!shading.CreateOverlayWindow(kShadingClass, L"layer", 0, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)))) {
    return false;
  }
  SetLayeredWindowAttributes(shading.m_hWnd, 0, kShadingAlpha, LWA_ALPHA);
  shading.m_hNotifyWnd = bar;
  shading.m_bPassive = TRUE;
  return true;
}

void CShiftRegionWindow2::ShowRegionOverlay() {
  // The monitors as they are now: one may have been added or moved since the start.
  m_rcScreen = VirtualScreen();
  if (m_pShadingWnd) m_pShadingWnd->m_rcScreen = m_rcScreen;
  // Placed over every monitor, not maximised: a maximised window covers one monitor only,
  // and Wine leaves its size and stacking to the X window manager, which a desktop may not
  // have. The shading window first, so that the input window ends up on top and active.
  for (HWND window : {m_pShadingWnd ? m_pShadingWnd->m_hWnd : nullptr, m_hWnd}) {
    if (!window) continue;
    SetWindowPos(window, HWND_TOP, m_rcScreen.left, m_rcScreen.top, m_rcScreen.Width(), m_rcScreen.Height(),
                 SWP_SHOWWINDOW);
    UpdateWindow(window);
  }
}

void CShiftRegionWindow2::HideRegionOverlay() {
  ShowWindow(m_hWnd, SW_HIDE);
  if (!m_pShadingWnd) return;
  m_pShadingWnd->CutHole({});
  ShowWindow(m_pShadingWnd->m_hWnd, SW_HIDE);
}

bool CShiftRegionWindow2::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  static const MessageMap<CShiftRegionWindow2> map{{
      {WM_LBUTTONDOWN, &CShiftRegionWindow2::OnLButtonDown},
      {WM_MOUSEMOVE, &CShiftRegionWindow2::OnMouseMove},
      {WM_LBUTTONUP, &CShiftRegionWindow2::OnLButtonUp},
      {WM_RBUTTONDOWN, &CShiftRegionWindow2::OnRButtonDown},
  }};
  if (!m_bPassive) return map.Dispatch(this, message, wparam, lparam, result);
  // The shading window swallows the mouse messages the input window handles.
  result = 0;
  return message == WM_LBUTTONDOWN || message == WM_MOUSEMOVE || message == WM_LBUTTONUP || message == WM_RBUTTONDOWN;
}

LRESULT CShiftRegionWindow2::OnLButtonDown(WPARAM wparam, LPARAM lparam) {
  ShowWindow(m_wndFrame.m_hWnd, SW_HIDE);
  const POINT pt = CursorPos();
  m_rcSelection = {pt.x, pt.y, pt.x, pt.y};
  m_bDragging = TRUE;
  return Default(WM_LBUTTONDOWN, wparam, lparam);
}

LRESULT CShiftRegionWindow2::OnMouseMove(WPARAM wparam, LPARAM lparam) {
  const POINT pt = CursorPos();
  if (!m_bDragging) {
    // Before the press the hint follows the cursor.
    m_rcSelection = {pt.x, pt.y, pt.x + 1, pt.y + 1};
    if (m_pShadingWnd) m_pShadingWnd->UpdateSizeLabel(m_rcSelection);
    return 0;
  }
  const DragStep step = FollowCursor(ToArea(m_rcSelection), pt.x, pt.y, m_rcScreen);
  m_rcSelection = ToRect(step.selection);
  if (step.show && m_pShadingWnd) {
    // The hole first: its repaint would otherwise cover the label just drawn.
    m_pShadingWnd->CutHole(m_rcSelection);
    m_pShadingWnd->UpdateSizeLabel(m_rcSelection);
    PostMessageW(m_hNotifyWnd, kWmAreaChanged, reinterpret_cast<WPARAM>(&m_rcSelection), 0);
  }
  return Default(WM_MOUSEMOVE, wparam, lparam);
}

LRESULT CShiftRegionWindow2::OnLButtonUp(WPARAM wparam, LPARAM lparam) {
  // A release without a press on the overlay chooses nothing.
  if (!m_bDragging) return Default(WM_LBUTTONUP, wparam, lparam);
  m_bDragging = FALSE;
  HideRegionOverlay();
  const std::optional<AreaRect> accepted = AcceptSelection(ToArea(m_rcSelection), m_rcScreen);
  if (!accepted) {
    BackToFullScreen();
  } else {
    m_rcSelection = ToRect(*accepted);
    // Placed while hidden, so it never shows at its old place; the update publishes the
    // inside and writes the capture area.
    MoveWindow(m_wndFrame.m_hWnd, accepted->left, accepted->top, accepted->Width(), accepted->Height(), TRUE);
    ShowWindow(m_wndFrame.m_hWnd, SW_SHOW);
    m_wndFrame.UpdateFrame();
    PostMessageW(m_hNotifyWnd, kWmAreaChanged, reinterpret_cast<WPARAM>(&m_rcSelection), 0);
    m_bAreaChosen = TRUE;
  }
  return Default(WM_LBUTTONUP, wparam, lparam);
}

LRESULT CShiftRegionWindow2::OnRButtonDown(WPARAM wparam, LPARAM lparam) {
  HideRegionOverlay();
  m_bDragging = FALSE;  // a cancelled drag must not go on when the overlay comes back
  BackToFullScreen();
  return Default(WM_RBUTTONDOWN, wparam, lparam);
}

void CShiftRegionWindow2::BackToFullScreen() {
  ShowWindow(m_wndFrame.m_hWnd, SW_HIDE);
  ClearCaptureArea();
  m_bAreaChosen = FALSE;
  PostMessageW(m_hNotifyWnd, kWmAreaChanged, 0, 0);
}

void CShiftRegionWindow2::CutHole(const RECT& selection) {
  RECT client;
  GetClientRect(m_hWnd, &client);
  ScopedRegion region(CreateRectRgnIndirect(&client));
  if (!region) return;
  if (!IsRectEmpty(&selection)) {
    const RECT inside = ToClient(selection);
    ScopedRegion hole(CreateRectRgnIndirect(&inside));
    if (!hole || CombineRgn(region.Get(), region.Get(), hole.Get(), RGN_DIFF) == ERROR) return;
  }
  m_hShadingRgn = region.Get();
  // The window system owns the region from here on; the repaint is done at once, so that
  // what is drawn next is not painted over.
  SetWindowRgn(m_hWnd, region.Release(), TRUE);
  UpdateWindow(m_hWnd);
}

void CShiftRegionWindow2::UpdateSizeLabel(const RECT& selection) {
  ScopedWindowDC dc(m_hWnd);
  if (!dc) return;
  // Kept and drawn in client coordinates, so that the label goes below the selection near
  // the top of the overlay, whichever monitor that is.
  const RECT inside = ToClient(selection);
  DrawOrEraseLabel(dc.Get(), m_rcLastLabel, false);
  DrawOrEraseLabel(dc.Get(), inside, true);
  m_rcLastLabel = inside;
}

RECT CShiftRegionWindow2::ToClient(const RECT& selection) const {
  // The overlay's client area starts at the virtual screen's corner.
  return {selection.left - m_rcScreen.left, selection.top - m_rcScreen.top, selection.right - m_rcScreen.left,
          selection.bottom - m_rcScreen.top};
}

void CShiftRegionWindow2::DrawOrEraseLabel(HDC dc, const RECT& selection, bool draw) {
  const AreaRect area = ToArea(selection);
  if (area.IsEmpty()) return;
  ScopedMemoryDC memory(dc);
  if (!memory) return;
  ScopedSelect font(dc, GetStockObject(SYSTEM_FONT));
  const std::wstring text = SizeLabelText(area);
  SIZE size = {};
  GetTextExtentPointW(dc, text.c_str(), static_cast<int>(text.size()), &size);
  const LabelPlace place = PlaceSizeLabel(area, size.cx, size.cy);
  const AreaRect& box = place.box;
  if (!draw) {
    if (!m_hSavedLabel) return;
    {
      ScopedSelect saved(memory.Get(), m_hSavedLabel.Get());
      BitBlt(dc, box.left, box.top, box.Width(), box.Height(), memory.Get(), 0, 0, SRCCOPY);
    }
    m_hSavedLabel.Reset();  // deselected first
    return;
  }
  m_hSavedLabel.Reset(CreateCompatibleBitmap(dc, box.Width(), box.Height()));
  if (m_hSavedLabel) {
    ScopedSelect saved(memory.Get(), m_hSavedLabel.Get());
    BitBlt(memory.Get(), 0, 0, box.Width(), box.Height(), dc, box.left, box.top, SRCCOPY);
  }
  const COLORREF old_text = SetTextColor(dc, RGB(0, 255, 0));
  const COLORREF old_back = SetBkColor(dc, RGB(0, 0, 0));
  const int old_mode = SetBkMode(dc, OPAQUE);
  ExtTextOutW(dc, place.text_x, place.text_y, 0, nullptr, text.c_str(), static_cast<UINT>(text.size()), nullptr);
  SetTextColor(dc, old_text);
  SetBkColor(dc, old_back);
  SetBkMode(dc, old_mode);
}
