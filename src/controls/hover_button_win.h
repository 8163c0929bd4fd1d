#pragma once
// The skinned push button: one bitmap file with three frames (normal, pressed, hover),
// a tooltip, and a window region without the key-coloured corners of the frame drawn.
#include <windows.h>

#include <string>

#include "controls/dpi_scale.h"
#include "framework/gdi_guards.h"
#include "framework/subclass_wnd.h"

class CHoverButton : public CSubclassWnd {
 public:
  // The hover time once the button is in its hover state: how soon a leave is noticed
  // where the window system polls for it.
  static constexpr DWORD kLeavePollMilliseconds = 100;

  CHoverButton() = default;
  ~CHoverButton() override;

  // Loads the strip, scaled for the button's DPI, and sizes the button to one frame; a file
  // that cannot be loaded leaves the button without a strip (and its size unchanged).
  // Always TRUE.
  BOOL LoadStripBitmap(const std::wstring& path);
  // The display scale to draw at (96 until told): the current strip is made again for it.
  void SetDpi(int dpi);
  // Sets or replaces the tooltip text; null does nothing.
  void SetToolTipText(const wchar_t* text);
  // Cuts the corner pixels of colour `key` read from `source` (client coordinates) out
  // of `window`'s region; the window owns the region afterwards.
  static void TrimCorners(HDC source, HWND window, COLORREF key);

  void DrawItem(const DRAWITEMSTRUCT& item) override;
  bool PreTranslateMessage(MSG* msg) override;

  BOOL m_bHover = FALSE;
  int m_nFrameWidth = 0;
  int m_nFrameHeight = 0;
  ScopedBitmap m_bmStrip;
  BOOL m_bTracking = FALSE;
  HCURSOR m_hCursor = nullptr;
  COLORREF m_crKey = RGB(31, 251, 222);
  HWND m_hToolTip = nullptr;
  int m_nDpi = kDesignDpi;
  std::wstring m_strStripPath;  // the strip file as drawn for 96 DPI, scaled again per DPI

 protected:
  void PreSubclassWindow() override;
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

 private:
  void CreateToolTipOnDemand();
};
