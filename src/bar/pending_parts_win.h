#pragma once
// The control bar's companions that are not built yet. Each is called at the moment the
// bar needs it and does nothing a user could take for the real thing.
#include <windows.h>

// TODO: global hotkeys (F8, F9) through vexhook.dll.
HMODULE LoadHotkeyLibrary(HWND bar);
void ReleaseHotkeyLibrary(HMODULE library);

// TODO: the sweep of encoders left over from an earlier run.
void SweepLeftoverEncoder();

// TODO: the start-up check of the encoder and capture devices; passes at once for now.
INT_PTR RunStartupCheck(HWND bar);

// TODO: the About dialog.
void RunAboutDialog(HWND bar);
