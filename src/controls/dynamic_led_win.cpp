#include "controls/dynamic_led_win.h"

void CDynamicLED::ConfigureLed(HWND window, int colour_code) {
  if (m_hWnd != window) {
    UnsubclassWindow();
    SubclassWindow(window);
  }
  if (colour_code != m_nColor || !m_penBright) {
    // The lamp's shades, made once per colour rather than at every blink.
    m_nColor = colour_code;
    const LedShades shades = ShadesOfLedColour(m_nColor);
    m_penBright.Reset(CreatePen(PS_SOLID, 1, shades.bright));
    m_brBright.Reset(CreateSolidBrush(shades.bright));
    m_penDark.Reset(CreatePen(PS_SOLID, 1, shades.dark));
    m_brDark.Reset(CreateSolidBrush(shades.dark));
  }
  m_blink.Configure();
  Tick();
  if (m_hWnd) SetTimer(m_hWnd, kTimerId, static_cast<UINT>(m_blink.interval()), nullptr);
}

void CDynamicLED::ResumeBlinking() {
  const int period = m_blink.ResumeBlinking();
  if (m_hWnd && period > 0) SetTimer(m_hWnd, kTimerId, static_cast<UINT>(period), nullptr);
}

void CDynamicLED::HoldSteady() { m_blink.HoldSteady(); }

void CDynamicLED::SetDpi(int dpi) {
  m_nDpi = dpi;
  if (m_hWnd) InvalidateRect(m_hWnd, nullptr, TRUE);
}

bool CDynamicLED::Tick() {
  if (m_blink.interval() == 0 || !m_hWnd) return false;
  m_lastShade = m_blink.Tick();
  ScopedWindowDC dc(m_hWnd);
  if (dc) DrawShade(dc.Get(), *m_lastShade);
  return true;
}

void CDynamicLED::DrawShade(HDC dc, bool bright) {
  RECT rc{};
  GetClientRect(m_hWnd, &rc);
  if (bright) {
    DrawLamp(dc, rc, m_penBright.Get(), m_brBright.Get());
  } else {
    DrawLamp(dc, rc, m_penDark.Get(), m_brDark.Get());
  }
}

void CDynamicLED::DrawLamp(HDC dc, const RECT& rc, HPEN pen, HBRUSH brush) {
  ScopedSelect brush_selected(dc, brush);
  {
    ScopedSelect pen_selected(dc, pen);
    Ellipse(dc, rc.left, rc.top, rc.right, rc.bottom);
  }
  // The rim: a grey ring, then a lighter line inside it; both as thick as the scale makes them.
  const int thin = ScaleForDpi(1, m_nDpi);
  ScopedPen rim_outer(CreatePen(PS_SOLID, ScaleForDpi(2, m_nDpi), RGB(128, 128, 128)));
  {
    ScopedSelect pen_selected(dc, rim_outer.Get());
    Ellipse(dc, rc.left, rc.top, rc.right, rc.bottom);
  }
  ScopedPen rim_inner(CreatePen(PS_SOLID, thin, RGB(192, 192, 192)));
  {
    ScopedSelect pen_selected(dc, rim_inner.Get());
    Ellipse(dc, rc.left, rc.top, rc.right, rc.bottom);
  }
  // A white highlight along the lower right of the rim, and a glint at the upper left.
  ScopedPen white_pen(CreatePen(PS_SOLID, thin, RGB(255, 255, 255)));
  ScopedBrush white_brush(CreateSolidBrush(RGB(255, 255, 255)));
  ScopedSelect white_pen_selected(dc, white_pen.Get());
  const int middle = (rc.right - rc.left) / 2;
  MoveToEx(dc, middle, rc.bottom, nullptr);
  SetArcDirection(dc, AD_COUNTERCLOCKWISE);
  ArcTo(dc, rc.left, rc.top, rc.right, rc.bottom, middle, rc.bottom, rc.right, rc.top);
  ScopedSelect white_brush_selected(dc, white_brush.Get());
  const int glint = ScaleForDpi(4, m_nDpi), glint_end = ScaleForDpi(6, m_nDpi);
  Ellipse(dc, rc.left + glint, rc.top + glint, rc.left + glint_end, rc.top + glint_end);
}

bool CDynamicLED::OnMessage(UINT message, WPARAM, LPARAM, LRESULT& result) {
  switch (message) {
    case WM_PAINT: {
      // Ticks choose the shade; a repaint (the lamp was hidden or covered) shows the same
      // shade again, so a steady lamp does not vanish until it blinks.
      ScopedPaint paint(m_hWnd);
      if (m_lastShade) DrawShade(paint.Get(), *m_lastShade);
      result = 0;
      return true;
    }
    case WM_TIMER:
      if (!Tick()) {
        result = 0;
        return true;  // holding: no drawing and no default processing
      }
      return false;
    case WM_DESTROY:
      KillTimer(m_hWnd, kTimerId);
      return false;
    default:
      return false;
  }
}
