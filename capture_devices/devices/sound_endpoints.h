// The sound endpoints' names and the input that hears what an output plays, for the system
// sound device and its test program. Kept apart from the DirectShow headers, which clash with
// the audio ones.
#pragma once
#include <mmdeviceapi.h>

#include <string>

#include "platform/com_ptr.h"

namespace capture {

std::wstring IdOf(IMMDevice* device);
std::wstring FriendlyNameOf(IMMDevice* device);

// The capture endpoint that hears what `output` plays, where the sound system has one:
// PulseAudio's monitor ("Monitor of " + the output's name), else, only where the system
// refuses loopback itself (`loopback_refused`), the input of the same name as the output
// (Wine's pair of PulseAudio defaults, whose input is the monitor of the default output while
// no microphone is chosen as PulseAudio's default input). Empty when none.
platform::ComPtr<IMMDevice> FindMonitorOf(IMMDeviceEnumerator* enumerator, IMMDevice* output, bool loopback_refused);

}  // namespace capture
