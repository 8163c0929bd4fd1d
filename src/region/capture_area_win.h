#pragma once
// The capture area as the desktop capture device reads it: four values under the current
// user's "Software\screen-capture-recorder" key. Written as a set for an area, removed as a
// set for the whole screen. Failures are not the user's concern and are ignored by callers.
#include <cstdint>
#include <optional>
#include <string>

// A value of our own beside the area: non-zero when recordings show the pointer's clicks. The
// device reads it when it is opened; no value means no.
constexpr wchar_t kShowClicksValue[] = L"show_clicks";

// Writes one REG_DWORD value, creating the key when needed; false when that fails.
bool SetCaptureValue(const wchar_t* name, uint32_t value);
// Reads one REG_DWORD value; nothing when it is missing or of another type.
std::optional<uint32_t> GetCaptureValue(const wchar_t* name);
// Deletes one value (a missing one counts as a failure), creating the key when needed.
bool DeleteCaptureValue(const wchar_t* name);

// Stores the rectangle (screen coordinates, right and bottom exclusive) with an even size.
void WriteCaptureArea(int left, int top, int right, int bottom);
// Removes the area: the device then captures the whole screen.
void ClearCaptureArea();

// Beside the area, for the system sound device: the microphone it mixes in ("mix_microphone",
// a friendly name); an empty name removes the value, and the device then opens none.
void WriteMixedMicrophone(const std::wstring& friendly_name);
