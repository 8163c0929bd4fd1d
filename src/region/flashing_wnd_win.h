#pragma once
// The recording frame ("rec_area"): a top-most window of which only a band along its edges
// exists, so the recorded picture shows through and clicks go to the windows beneath. Its
// top edge moves it and its other edges and corners resize it; after every move or resize
// it evens its size, tells the control bar its inside and writes that as the capture area.
#include <windows.h>

#include "framework/subclass_wnd.h"

constexpr COLORREF kFrameBandColour = RGB(0, 255, 80);
constexpr COLORREF kFrameCornerIdle = RGB(255, 0, 0);
constexpr COLORREF kFrameCornerRecording = RGB(128, 128, 128);

class CFlashingWnd : public CSubclassWnd {
 public:
  // Creates the hidden window at (0, 0)-(200, 200); false when that fails.
  bool CreateFrameWindow();
  // Rebuilds the band, redraws it, evens the size and publishes the inside.
  void UpdateFrame();
  // Draws the band in `band` with the corner marks in `corner`.
  void DrawFrame(COLORREF band, COLORREF corner);

  BOOL m_bLocked = FALSE;       // set by the bar during a recording: no moving or resizing
  HRGN m_hFrameRgn = nullptr;   // the window region last set (the window system owns it)
  COLORREF m_crFrame = 0;       // the band colour last drawn
  HWND m_hNotifyWnd = nullptr;  // the control bar

 protected:
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

 private:
  LRESULT OnEraseBackground(WPARAM, LPARAM) { return TRUE; }
  LRESULT OnPaint(WPARAM, LPARAM);
  LRESULT OnNcHitTest(WPARAM, LPARAM);
  LRESULT OnSize(WPARAM, LPARAM);
  LRESULT OnMove(WPARAM, LPARAM);
  LRESULT OnGetMinMaxInfo(WPARAM, LPARAM);
  LRESULT OnDpiChanged(WPARAM, LPARAM);
  LRESULT OnEnterSizeMove(WPARAM, LPARAM);
  LRESULT OnExitSizeMove(WPARAM, LPARAM);
  LRESULT OnClose(WPARAM, LPARAM) { return 0; }  // the frame stays open
  void FillSolid(HDC dc, const RECT& rc, COLORREF colour);

  bool m_bUserMoving = false;  // the user is dragging the frame's edge
};
