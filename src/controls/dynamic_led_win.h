#pragma once
// The round status lamp: steady or blinking between a bright and a dark shade. Ticks of
// its own timer change the shade; a paint request draws the shade drawn last again.
#include <windows.h>

#include "controls/dpi_scale.h"
#include "controls/led_blink.h"
#include "framework/gdi_guards.h"
#include "framework/subclass_wnd.h"

class CDynamicLED : public CSubclassWnd {
 public:
  static constexpr UINT_PTR kTimerId = 1001;

  // Takes `window` (the dialog's static control) as the lamp, sets the colour code
  // (kLedRed, kLedGreen), draws one tick at once and blinks every 500 ms.
  void ConfigureLed(HWND window, int colour_code);
  void ResumeBlinking();
  void HoldSteady();
  // The display scale to draw the rim and glint at (96 until told); draws the lamp again.
  void SetDpi(int dpi);

  int m_nColor = kLedGreen;
  int m_nDpi = kDesignDpi;

 protected:
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

 private:
  // Draws the next shade; false while holding (nothing drawn).
  bool Tick();
  void DrawShade(HDC dc, bool bright);
  void DrawLamp(HDC dc, const RECT& rc, HPEN pen, HBRUSH brush);

  ScopedPen m_penBright;
  ScopedPen m_penDark;
  ScopedBrush m_brBright;
  ScopedBrush m_brDark;
  LedBlinkState m_blink;
  std::optional<bool> m_lastShade;  // nothing drawn yet, or the last shade (true: bright)
};
