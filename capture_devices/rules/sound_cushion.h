// Hands the system's sound to the recording at the recording's own pace. The device's packets
// come on the device's clock, in bursts; the recording takes a chunk every 20 ms on the
// performance counter. A small cushion of converted sound sits between them: chunks start
// only once it is full, and it is held near its target by taking one frame more or one frame
// less per chunk, so the two clocks never drift apart and a packet that comes a little late
// never leaves a gap inside the sound. When the packets stop (nothing is played, or the
// device is being reopened), the rest of the cushion is played out and silence follows on the
// same timeline. No <windows.h> here.
#pragma once
#include <cstddef>
#include <cstdint>

#include "capture_devices/rules/pcm.h"

namespace capture {

class SoundCushion {
 public:
  static constexpr size_t kTarget = kSampleRate * 30 / 1000;  // frames held between chunks
  static constexpr size_t kCap = kSampleRate * 100 / 1000;    // more than this after a burst is dropped

  // Fills `frames` frames from what `source` has queued, for a chunk taken `late` frames after
  // it was due (what came meanwhile belongs to the chunks due next, not to the cushion);
  // returns how many came from played sound.
  // `age` is how long before now the newest queued frame was captured, where the device says:
  // the cushion then holds the sound's whole delay at the target, the time the system took to
  // hand it over included, so that its place against the picture is the same on every machine.
  size_t Take(PcmConverter& source, int16_t* stereo, size_t frames, size_t late = 0, size_t age = 0);

  // Single frames left out or played twice to hold the target, and frames dropped at the cap.
  int64_t dropped() const { return dropped_; }
  int64_t repeated() const { return repeated_; }

 private:
  bool playing_ = false;
  double level_ = 0;  // frames left after each chunk, smoothed over about half a second
  int64_t dropped_ = 0, repeated_ = 0;
};

}  // namespace capture
