// Which capture endpoint may record what an output plays when the output cannot be opened
// for loopback. A monitor of the output ("Monitor of " + its name, as PulseAudio names it)
// always hears exactly that. An input of the output's own name stands in only where the
// system refuses loopback itself (AUDCLNT_E_WRONG_ENDPOINT_TYPE: Wine, which gives an output
// no capture service, and whose PulseAudio default input of that name monitors the default
// output): on Windows that input is the microphone of a speakerphone or headset, and any
// other failure (the device held exclusively, being removed) is retried as loopback.
// No <windows.h> here.
#pragma once
#include <string>
#include <vector>

namespace capture {

// The names to look for among the capture endpoints, best first; none for a nameless output.
std::vector<std::wstring> LoopbackStandInNames(const std::wstring& output_name, bool loopback_refused);

}  // namespace capture
