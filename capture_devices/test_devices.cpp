// QuorlinTestDevices.dll: a camera and a microphone for tests and demonstrations, never part
// of what a user installs.
#include <dshow.h>

#include "capture_devices/devices/devices.h"

namespace capture {

// {4F2D2A69-F6D4-4651-9068-A088F0C9A5D9}
const CLSID CLSID_TestCamera = {0x4f2d2a69, 0xf6d4, 0x4651, {0x90, 0x68, 0xa0, 0x88, 0xf0, 0xc9, 0xa5, 0xd9}};
// {2C5DCABC-8F35-4750-8BE8-3BE570963BA8}
const CLSID CLSID_TestMicrophone = {0x2c5dcabc, 0x8f35, 0x4750, {0x8b, 0xe8, 0x3b, 0xe5, 0x70, 0x96, 0x3b, 0xa8}};

const DeviceInfo kDevices[] = {
    {&CLSID_TestCamera, L"Quorlin Test Camera", &CLSID_VideoInputDeviceCategory, CreateTestCameraStream},
    {&CLSID_TestMicrophone, L"Quorlin Test Microphone", &CLSID_AudioInputDeviceCategory, CreateTestMicrophoneStream},
};
const size_t kDeviceCount = sizeof(kDevices) / sizeof(kDevices[0]);

}  // namespace capture
