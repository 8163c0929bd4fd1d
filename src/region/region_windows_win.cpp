#include "region/region_windows_win.h"

#include "region/selection_overlay_win.h"

namespace {
// The input window's object, with the frame and the shading window; lives until the
// process ends.
CShiftRegionWindow2 g_wndRegion;
}  // namespace

void CreateRegionWindows(HWND bar) { g_wndRegion.CreateRegionWindows(bar); }

void ShowRegionOverlay() { g_wndRegion.ShowRegionOverlay(); }

void HideRecordingFrame() { ShowWindow(g_wndRegion.m_wndFrame.m_hWnd, SW_HIDE); }

bool IsAreaChosen() { return g_wndRegion.m_bAreaChosen; }

void SetAreaChosen(bool chosen) { g_wndRegion.m_bAreaChosen = chosen; }

void SetRecordingFrameLocked(bool locked, COLORREF corner_colour) {
  CFlashingWnd& frame = g_wndRegion.m_wndFrame;
  frame.m_bLocked = locked;
  frame.DrawFrame(frame.m_crFrame, corner_colour);
}
