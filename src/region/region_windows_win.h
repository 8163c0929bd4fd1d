#pragma once
// The capture-region windows as the control bar uses them: the selection overlay with its
// recording frame, one of each for the whole run of the program.
#include <windows.h>

#include "region/capture_area_win.h"

// Creates the overlay and frame windows (hidden), reporting to `bar`.
void CreateRegionWindows(HWND bar);
// Shows the overlay for a new drag.
void ShowRegionOverlay();
void HideRecordingFrame();
// Whether an accepted rectangle is in force.
bool IsAreaChosen();
void SetAreaChosen(bool chosen);
// Locks the frame for a recording (or frees it) and redraws it with `corner_colour` marks.
void SetRecordingFrameLocked(bool locked, COLORREF corner_colour);
