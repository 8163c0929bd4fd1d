#pragma once
// The round status lamp: steady or blinking between a bright and a dark shade. It draws
// only on its own timer's ticks; paint requests draw nothing.
#include <windows.h>

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

  int m_nColor = kLedGreen;

 protected:
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

 private:
  // Draws the next shade; false while holding (nothing drawn).
  bool Tick();
  void DrawLamp(HDC dc, const RECT& rc, HPEN pen, HBRUSH brush);

  ScopedPen m_penBright;
  ScopedPen m_penDark;
  ScopedBrush m_brBright;
  ScopedBrush m_brDark;
  LedBlinkState m_blink;
};
