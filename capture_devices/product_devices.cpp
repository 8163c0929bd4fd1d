// QuorlinDevices.dll: the two devices the recorder needs on every machine.
#include <dshow.h>

#include "capture_devices/devices/devices.h"

namespace capture {

// {CD575B02-AD14-46E7-AD4F-B860D39A816B}
const CLSID CLSID_ScreenCaptureRecorder = {
    0xcd575b02, 0xad14, 0x46e7, {0xad, 0x4f, 0xb8, 0x60, 0xd3, 0x9a, 0x81, 0x6b}};
// {8823CF2B-D29B-4059-B649-F3E0D877BC19}
const CLSID CLSID_VirtualAudioCapturer = {0x8823cf2b, 0xd29b, 0x4059, {0xb6, 0x49, 0xf3, 0xe0, 0xd8, 0x77, 0xbc, 0x19}};

const DeviceInfo kDevices[] = {
    {&CLSID_ScreenCaptureRecorder, L"screen-capture-recorder", &CLSID_VideoInputDeviceCategory, CreateScreenStream},
    {&CLSID_VirtualAudioCapturer, L"virtual-audio-capturer", &CLSID_AudioInputDeviceCategory, CreateSystemSoundStream},
};
const size_t kDeviceCount = sizeof(kDevices) / sizeof(kDevices[0]);

}  // namespace capture
