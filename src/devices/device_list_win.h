// The platform's capture devices by friendly name: listing a category, and finding a camera.
#pragma once
#include <windows.h>
#include <dshow.h>

#include <string>
#include <vector>

namespace devices {

// Ten names of at most 511 characters; a category with more devices lists its first ten, a
// longer name is cut at 511 characters.
struct DeviceNameList {
  static constexpr int kSlots = 10;
  static constexpr int kSlotChars = 512;
  wchar_t names[kSlots][kSlotChars] = {};
  int count = 0;
};

// CLSID_VideoInputDeviceCategory or CLSID_AudioInputDeviceCategory; returns the count.
// A device whose "FriendlyName" cannot be read is skipped.
int ListDeviceNames(const GUID& category, DeviceNameList& list);
// Every device name of the category, however many there are (names cut as above).
std::vector<std::wstring> ListAllDeviceNames(const GUID& category);

// The video input device whose friendly name equals `name` exactly; VFW_E_NOT_FOUND when none.
HRESULT FindCaptureDevice(const wchar_t* name, IBaseFilter** filter);

}  // namespace devices
