#pragma once
// The overlay on which the user drags the rectangle to record. Two windows of this class,
// each over the whole virtual screen (every monitor), take part: the input window ("area"),
// top-most and all but transparent, which gets the mouse; and beneath it the shading window
// ("layer"), black at 120/255, with a hole over the selection and the size label drawn on it.
// The input window owns the recording frame and the shading window.
#include <windows.h>

#include <memory>

#include "framework/gdi_guards.h"
#include "framework/subclass_wnd.h"
#include "region/area_rect.h"
#include "region/flashing_wnd_win.h"

class CShiftRegionWindow2 : public CSubclassWnd {
 public:
  CShiftRegionWindow2();

  // Creates the input window, the frame and the shading window, all hidden, reporting to
  // `bar`; false when one of them cannot be created.
  bool CreateRegionWindows(HWND bar);
  // Shows the input window and the shading window over every monitor.
  void ShowRegionOverlay();

  ScopedBitmap m_hSavedLabel;  // pixels under the size label (shading window)
  AreaRect m_rcScreen;         // the virtual screen when the overlay was last shown
  RECT m_rcSelection = {};     // left and top: the anchor; right and bottom follow the cursor
  CFlashingWnd m_wndFrame;
  std::unique_ptr<CShiftRegionWindow2> m_pShadingWnd;  // null in the shading window itself
  BOOL m_bDragging = FALSE;
  BOOL m_bAreaChosen = FALSE;    // an accepted rectangle is in force
  HWND m_hNotifyWnd = nullptr;   // the control bar
  RECT m_rcLastLabel = {};       // the rectangle the size label was last drawn for (client)
  BOOL m_bPassive = FALSE;       // the shading window ignores the mouse
  HRGN m_hShadingRgn = nullptr;  // the region last given to the shading window

 protected:
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

 private:
  LRESULT OnLButtonDown(WPARAM, LPARAM);
  LRESULT OnMouseMove(WPARAM, LPARAM);
  LRESULT OnLButtonUp(WPARAM, LPARAM);
  LRESULT OnRButtonDown(WPARAM, LPARAM);

  bool CreateOverlayWindow(const wchar_t* class_name, const wchar_t* title, DWORD ex_style, HBRUSH background);
  void HideRegionOverlay();
  void BackToFullScreen();
  // On the shading window: the region with a hole over `selection` (none when empty).
  // Selections are in screen coordinates.
  void CutHole(const RECT& selection);
  // On the shading window: the size label moves from m_rcLastLabel to `selection`.
  void UpdateSizeLabel(const RECT& selection);
  // A selection in the shading window's client coordinates.
  RECT ToClient(const RECT& selection) const;
  void DrawOrEraseLabel(HDC dc, const RECT& selection, bool draw);
};
