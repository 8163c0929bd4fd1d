#pragma once
// The bar's side of the global keys: the hotkey library vexhook.dll, loaded at run time,
// delivers F8 and F9 to the bar as WM_CAPTURED_KEY.
#include <windows.h>

// Loads the library and turns capture on for `bar`. Any failure shows the one message and
// the program goes on without hotkeys. Returns the library, which stays loaded even when
// capture could not be turned on, or null.
HMODULE LoadHotkeyLibrary(HWND bar);
// Ends the capture and releases the library; null does nothing.
void ReleaseHotkeyLibrary(HMODULE library);
