#pragma once
// The display scale of windows. The functions that know a window's own monitor scale came
// with later Windows versions, so they are looked up at run time: without them (Windows 7
// and 8) every window has the system's scale, as for a system-aware program.
#include <windows.h>

// The scale all monitors had when the session started: the screen's LOGPIXELSX.
int SystemDpi();

// The DPI of `window`'s monitor as the window sees it (GetDpiForWindow), else the system's.
int WindowDpi(HWND window);

// A dialog that lays itself out for each scale: the dialog manager keeps its hands off its
// size, controls and fonts when it moves to a monitor of another scale (WM_DPICHANGED then
// does it all). Nothing happens where the system has no such behaviour.
void KeepOwnLayoutOnDpiChange(HWND dialog);

// The new DPI and the suggested window rectangle of a WM_DPICHANGED message.
struct DpiChange {
  int dpi;
  RECT suggested;
};
DpiChange ReadDpiChange(WPARAM wparam, LPARAM lparam);
