#include "bar/pending_parts_win.h"

// TODO: every function here is replaced by its real subsystem as it is built.

HMODULE LoadHotkeyLibrary(HWND) { return nullptr; }
void ReleaseHotkeyLibrary(HMODULE) {}

void SweepLeftoverEncoder() {}

INT_PTR RunStartupCheck(HWND) { return IDOK; }

void CreateRegionWindows(HWND) {}
void HideRecordingFrame() {}
void ClearCaptureArea() {}
void ShowRegionOverlay() {}
namespace {
bool g_area_chosen = false;
}
bool IsAreaChosen() { return g_area_chosen; }
void SetAreaChosen(bool chosen) { g_area_chosen = chosen; }
void SetRecordingFrameLocked(bool, COLORREF) {}

void RunSettingsDialog(HWND) {}

bool IsCameraShowing() { return false; }
void CloseCamera() {}
void OpenCamera(HWND) {}
void DestroyCameraWindow() {}

void RunAboutDialog(HWND) {}
