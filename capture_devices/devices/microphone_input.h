// The microphone that the system sound device mixes in: the DirectShow audio input of the
// friendly name the program chose, opened by the device itself in a graph of its own and run
// on the microphone's own clock. Its sound is converted to 48 kHz stereo and held to the
// recording's pace by a cushion of its own, as the system sound is. A microphone that cannot
// be opened, is unplugged or stops delivering gives silence and is tried again every second,
// so the recording never waits for it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace capture {

// The microphone the program asked to mix into the next recording of the system sound; empty
// for none.
std::wstring MicrophoneToMix();

class MicrophoneInput {
 public:
  explicit MicrophoneInput(std::wstring friendly_name);
  ~MicrophoneInput();
  MicrophoneInput(const MicrophoneInput&) = delete;
  MicrophoneInput& operator=(const MicrophoneInput&) = delete;

  // On the thread that reads it, before the first Read: building the microphone's graph takes
  // a while, which must not hold up the sound's first chunks. Tried again by Read if it fails.
  void Open();

  // On one thread with COM initialised, as the system sound's Read: the microphone's next
  // `frames` frames for a chunk made `late_frames` after its due time; silence where it gave
  // nothing.
  void Read(int16_t* stereo, size_t frames, size_t late_frames);

 private:
  struct State;
  std::unique_ptr<State> m_p;
};

}  // namespace capture
