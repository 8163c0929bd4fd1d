// The streams of our devices, for the device tables of the two DLLs.
#pragma once
#include <memory>

#include "capture_devices/core/capture_stream.h"

namespace capture {

std::unique_ptr<CaptureStream> CreateScreenStream();
std::unique_ptr<CaptureStream> CreateSystemSoundStream();
std::unique_ptr<CaptureStream> CreateTestCameraStream();
std::unique_ptr<CaptureStream> CreateTestMicrophoneStream();

}  // namespace capture
