// What the default output device plays, as 48 kHz 16-bit stereo at the recording's pace:
// WASAPI loopback capture of the default output where the system offers it; where it refuses
// a loopback client (Wine), ordinary capture of the endpoint that monitors the default output.
// Follows the default output when it changes, reopens within a second after the device is
// lost or a read fails, and gives silence while there is nothing to capture, so a recording
// always gets a whole sound track. Kept apart from the DirectShow headers, which clash with
// the audio ones.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace capture {

class Loopback {
 public:
  Loopback();
  ~Loopback();
  Loopback(const Loopback&) = delete;
  Loopback& operator=(const Loopback&) = delete;

  // Call on a thread with COM initialised; Read and Stop on the same thread.
  void Start();
  // Takes the next `frames` frames of what was played, for a chunk made `late_frames` after
  // its due time; silence where nothing was.
  void Read(int16_t* stereo, size_t frames, size_t late_frames);
  // How old the sound was when taken, and the cushion's mending, for the device's stats line
  // (of the last run, after Stop).
  const std::string& StatsFigures() const { return m_strStats; }
  void Stop();

 private:
  struct State;
  std::unique_ptr<State> m_p;
  std::string m_strStats;
};

}  // namespace capture
