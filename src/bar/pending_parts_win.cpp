#include "bar/pending_parts_win.h"

// TODO: every function here is replaced by its real subsystem as it is built.

HMODULE LoadHotkeyLibrary(HWND) { return nullptr; }
void ReleaseHotkeyLibrary(HMODULE) {}

void SweepLeftoverEncoder() {}

INT_PTR RunStartupCheck(HWND) { return IDOK; }

void RunAboutDialog(HWND) {}
