#include "controls/label_win.h"

#include <shellapi.h>

#include <algorithm>

#include "controls/label_paint_rules.h"

static_assert(text_format::kCenter == DT_CENTER && text_format::kRight == DT_RIGHT &&
              text_format::kVCenter == DT_VCENTER && text_format::kWordBreak == DT_WORDBREAK &&
              text_format::kSingleLine == DT_SINGLELINE && text_format::kExpandTabs == DT_EXPANDTABS);
static_assert(label_style::kCenter == SS_CENTER && label_style::kRight == SS_RIGHT &&
              label_style::kTypeMask == SS_TYPEMASK && label_style::kCenterImage == SS_CENTERIMAGE);

namespace {
std::wstring WindowText(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  GetWindowTextW(hwnd, text.data(), length + 1);
  text.resize(static_cast<size_t>(length));
  return text;
}
}  // namespace

CLabel::CLabel()
    : m_crText(GetSysColor(COLOR_WINDOWTEXT)), m_hFaceBrush(CreateSolidBrush(GetSysColor(COLOR_BTNFACE))) {}

CLabel::~CLabel() {
  if (m_hFaceBrush) DeleteObject(m_hFaceBrush);
  if (m_hBackBrush) DeleteObject(m_hBackBrush);
}

void CLabel::PreSubclassWindow() {
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
  if (!font) font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
  GetObjectW(font, sizeof(m_lf), &m_lf);
  RebuildFont();
}

void CLabel::RebuildFont() { m_font.Reset(CreateFontIndirectW(&m_lf)); }

void CLabel::Refresh() {
  if (!m_hWnd) return;
  HWND parent = GetParent(m_hWnd);
  if (!m_bTransparent || !parent) {
    RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return;
  }
  // The parent shows through: its background under the label and then the label, in one
  // pass (a status line changes twice a second while recording).
  RECT rc{};
  GetWindowRect(m_hWnd, &rc);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
  RedrawWindow(parent, &rc, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

CLabel& CLabel::SetBackground(COLORREF colour, COLORREF gradient_end, bool gradient) {
  m_crBackground = colour;
  m_crGradientEnd = gradient_end;
  m_bGradient = gradient;
  if (m_hBackBrush) DeleteObject(m_hBackBrush);
  m_hBackBrush = gradient ? nullptr : CreateSolidBrush(colour);
  Refresh();
  return *this;
}

CLabel& CLabel::SetTextColour(COLORREF colour) {
  if (colour == m_crText) return *this;  // nothing to draw again
  m_crText = colour;
  Refresh();
  return *this;
}

CLabel& CLabel::SetLabelText(const std::wstring& text) {
  if (!m_hWnd || WindowText(m_hWnd) == text) return *this;
  SetWindowTextW(m_hWnd, text.c_str());
  Refresh();
  return *this;
}

CLabel& CLabel::SetFontBold(bool bold) {
  m_lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  RebuildFont();
  Refresh();
  return *this;
}

CLabel& CLabel::SetFontFace(const std::wstring& face, BYTE char_set) {
  m_lf.lfCharSet = char_set;
  // The face name field holds 31 characters and a terminator; a longer name is cut.
  const size_t length = std::min(face.size(), static_cast<size_t>(LF_FACESIZE - 1));
  std::fill(std::begin(m_lf.lfFaceName), std::end(m_lf.lfFaceName), L'\0');
  face.copy(m_lf.lfFaceName, length);
  RebuildFont();
  Refresh();
  return *this;
}

CLabel& CLabel::SetFontUnderline(bool underline) {
  m_lf.lfUnderline = static_cast<BYTE>(underline);
  RebuildFont();
  Refresh();
  return *this;
}

CLabel& CLabel::SetFontItalic(bool italic) {
  m_lf.lfItalic = static_cast<BYTE>(italic);
  RebuildFont();
  Refresh();
  return *this;
}

CLabel& CLabel::SetFontPoints(int points) {
  HDC screen = GetDC(nullptr);
  m_lf.lfHeight = -MulDiv(points * 10, GetDeviceCaps(screen, LOGPIXELSY), 720);
  ReleaseDC(nullptr, screen);
  m_lf.lfWidth = 0;
  RebuildFont();
  Refresh();
  return *this;
}

void CLabel::ChangeStyle(int index, LONG_PTR bits, bool on, bool frame_changed) {
  if (!m_hWnd) return;
  const LONG_PTR style = GetWindowLongPtrW(m_hWnd, index);
  SetWindowLongPtrW(m_hWnd, index, on ? (style | bits) : (style & ~bits));
  if (frame_changed) {
    SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  }
}

CLabel& CLabel::SetSunkenEdge(bool on) {
  ChangeStyle(GWL_EXSTYLE, WS_EX_STATICEDGE, on, true);
  return *this;
}

CLabel& CLabel::SetBorderLine(bool on) {
  ChangeStyle(GWL_STYLE, WS_BORDER, on, true);
  return *this;
}

CLabel& CLabel::SetTransparentBackground(bool transparent) {
  m_bTransparent = transparent;
  ChangeStyle(GWL_EXSTYLE, WS_EX_TRANSPARENT, true, false);  // added either way, never removed
  Refresh();
  return *this;
}

void CLabel::SetFlash(bool on, int mode) {
  if (m_bFlashTimer && m_hWnd) KillTimer(m_hWnd, kFlashTimerId);
  if (on) {
    m_bFlashPhase = FALSE;
    m_bFlashTimer = TRUE;
    if (m_hWnd) SetTimer(m_hWnd, kFlashTimerId, 500, nullptr);
    m_nFlashMode = mode;
  } else {
    m_nFlashMode = 0;
  }
}

CLabel& CLabel::SetTextFlash(bool on) {
  SetFlash(on, 1);
  return *this;
}

// Mode 2 runs the same blink timer; nothing the label paints depends on it (no caller gives
// it a look of its own).
CLabel& CLabel::SetFlashMode2(bool on) {
  SetFlash(on, 2);
  return *this;
}

CLabel& CLabel::SetWebLink(bool on, bool notify_parent) {
  m_nLinkMode = on ? 1 : 0;
  m_bNotifyParent = notify_parent;
  ChangeStyle(GWL_STYLE, SS_NOTIFY, m_nLinkMode != 0, false);  // lets the static receive clicks
  return *this;
}

CLabel& CLabel::SetMailLink(bool on, bool notify_parent) {
  m_nLinkMode = on ? 2 : 0;
  m_bNotifyParent = notify_parent;
  ChangeStyle(GWL_STYLE, SS_NOTIFY, m_nLinkMode != 0, false);
  return *this;
}

CLabel& CLabel::SetLinkCursor(HCURSOR cursor) {
  m_hLinkCursor = cursor;
  return *this;
}

CLabel& CLabel::Set3DText(bool on, int style) {
  m_b3DText = on;
  m_n3DStyle = style;
  Refresh();
  return *this;
}

CLabel& CLabel::SetRotation(int degrees, bool on) {
  m_lf.lfEscapement = m_lf.lfOrientation = degrees * 10;
  m_bRotate = on;
  RebuildFont();
  Refresh();
  return *this;
}

CLabel& CLabel::SetHighlightColour(COLORREF colour) {
  m_crHighlight = colour;
  Refresh();
  return *this;
}

CLabel& CLabel::SetLogFont(LOGFONTW font) {
  m_lf = font;
  RebuildFont();
  Refresh();
  return *this;
}

CLabel& CLabel::SetLinkTarget(const std::wstring& target) {
  m_strLinkTarget = target;
  return *this;
}

void CLabel::PaintGradient(HDC dc, const RECT& rc) {
  ScopedSelect no_pen(dc, GetStockObject(NULL_PEN));
  for (const GradientBand& band : GradientBands(rc.left, rc.right, m_crBackground, m_crGradientEnd)) {
    ScopedBrush brush(CreateSolidBrush(band.colour));
    ScopedSelect brush_selected(dc, brush.Get());
    // Without an outline Rectangle fills one pixel less each way; +1 fills the band exactly.
    Rectangle(dc, band.left, rc.top, band.right + 1, rc.bottom + 1);
  }
}

void CLabel::Paint() {
  ScopedPaint paint(m_hWnd);
  RECT rc{};
  GetClientRect(m_hWnd, &rc);
  const std::wstring text = WindowText(m_hWnd);
  if (m_bTransparent) {
    DrawLabel(paint.Get(), rc, text);
    return;
  }
  // Opaque labels draw off screen and copy the result in one transfer.
  ScopedMemoryDC memory_dc(paint.Get());
  ScopedBitmap memory_bitmap(CreateCompatibleBitmap(paint.Get(), rc.right, rc.bottom));
  if (!memory_dc || !memory_bitmap) {
    DrawLabel(paint.Get(), rc, text);
    return;
  }
  ScopedSelect bitmap_selected(memory_dc.Get(), memory_bitmap.Get());
  DrawLabel(memory_dc.Get(), rc, text);
  BitBlt(paint.Get(), 0, 0, rc.right, rc.bottom, memory_dc.Get(), 0, 0, SRCCOPY);
}

void CLabel::DrawLabel(HDC dc, const RECT& rc, const std::wstring& text) {
  const int old_mode = SetBkMode(dc, TRANSPARENT);
  const COLORREF old_colour = SetTextColor(dc, m_crText);
  ScopedSelect font_selected(dc, m_font.Get());

  if (!m_bTransparent) {
    if (m_bGradient) {
      PaintGradient(dc, rc);
    } else {
      FillRect(dc, &rc, m_hBackBrush ? m_hBackBrush : m_hFaceBrush);
    }
  }
  if (m_nFlashMode == 1 && !m_bFlashPhase) {
    // The hidden phase of blinking text: text in the background colour.
    LOGBRUSH back{};
    if (m_hBackBrush) GetObjectW(m_hBackBrush, sizeof(back), &back);
    SetTextColor(dc, m_hBackBrush ? back.lbColor : RGB(0, 0, 0));
  }

  const auto style = static_cast<std::uint32_t>(GetWindowLongPtrW(m_hWnd, GWL_STYLE));
  const UINT format = LabelTextFormat(style, text);
  if (m_bRotate) {
    const UINT old_align = SetTextAlign(dc, TA_BASELINE);
    POINT old_origin{};
    SetViewportOrgEx(dc, rc.right / 2, rc.bottom / 2, &old_origin);
    TextOutW(dc, 0, 0, text.c_str(), static_cast<int>(text.size()));
    SetViewportOrgEx(dc, old_origin.x, old_origin.y, nullptr);
    SetTextAlign(dc, old_align);
  } else {
    RECT text_rc = rc;
    DrawTextW(dc, text.c_str(), -1, &text_rc, format);
    if (m_b3DText) {
      SetTextColor(dc, m_crHighlight);
      const int shift = m_n3DStyle == 0 ? -1 : 1;
      OffsetRect(&text_rc, shift, shift);
      DrawTextW(dc, text.c_str(), -1, &text_rc, format);
    }
  }
  SetBkMode(dc, old_mode);
  SetTextColor(dc, old_colour);
}

void CLabel::OnClick() {
  if (m_bNotifyParent) {
    NMHDR header{};
    header.hwndFrom = m_hWnd;
    header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(m_hWnd));
    header.code = kClickNotification;
    SendMessageW(GetParent(m_hWnd), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    return;
  }
  const std::wstring text = WindowText(m_hWnd);
  if (m_nLinkMode == 1) {
    const std::wstring& target = m_strLinkTarget.empty() ? text : m_strLinkTarget;
    ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  } else if (m_nLinkMode == 2) {
    const std::wstring address = L"mailto:" + text;
    ShellExecuteW(nullptr, nullptr, address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  }
}

bool CLabel::OnMessage(UINT message, WPARAM, LPARAM, LRESULT& result) {
  switch (message) {
    case WM_PAINT:
      Paint();
      result = 0;
      return true;
    case WM_ERASEBKGND:
      result = 1;  // painting covers the background itself
      return true;
    case WM_TIMER:
      m_bFlashPhase = !m_bFlashPhase;
      Refresh();
      return false;
    case WM_LBUTTONDOWN:
      OnClick();
      return false;
    case WM_SETCURSOR:
      if (!m_hLinkCursor) return false;
      SetCursor(m_hLinkCursor);
      result = TRUE;
      return true;
    case WM_SYSCOLORCHANGE:
      if (m_hFaceBrush) DeleteObject(m_hFaceBrush);
      m_hFaceBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
      Refresh();
      return false;
    default:
      return false;
  }
}
