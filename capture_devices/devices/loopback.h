// Loopback capture of what the default output device plays, as 48 kHz 16-bit stereo. Kept
// apart from the DirectShow headers, which clash with the audio ones.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

namespace capture {

class Loopback {
 public:
  Loopback();
  ~Loopback();
  Loopback(const Loopback&) = delete;
  Loopback& operator=(const Loopback&) = delete;

  // False where the platform offers no loopback capture; Read then gives silence.
  // Call on a thread with COM initialised.
  bool Open();
  // Takes what was played since the last call; silence where nothing was.
  void Read(int16_t* stereo, size_t frames);
  void Close();

 private:
  struct Capture;
  std::unique_ptr<Capture> m_p;
};

}  // namespace capture
