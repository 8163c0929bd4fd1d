#include "capture_devices/rules/sound_cushion.h"

#include <algorithm>

namespace capture {
namespace {
constexpr double kSlack = kSampleRate * 2 / 1000.0;  // the band around the target left alone
constexpr double kSmoothing = 25;                    // chunks (half a second of 20 ms chunks)
}  // namespace

size_t SoundCushion::Take(PcmConverter& source, int16_t* stereo, size_t frames, size_t late, size_t age) {
  const auto on_time = [&] { return source.Queued() > late ? source.Queued() - late : 0; };
  size_t queued = on_time();
  if (!playing_) {
    if (queued < frames || queued + age < frames + kTarget) {  // filling: silence until it is full
      std::fill(stereo, stereo + frames * kChannels, int16_t{0});
      return 0;
    }
    // Sound begins at the target exactly: what came in a first burst beyond it is left out
    // before anything is heard, rather than one frame at a time later.
    const size_t beyond = std::min(queued + age - frames - kTarget, queued - frames);
    source.Discard(beyond);
    queued -= beyond;
    playing_ = true;
    level_ = kTarget;
  }
  if (queued > frames + kCap) {  // a burst after a stall: back to the target at once
    dropped_ += static_cast<int64_t>(queued - frames - kTarget);
    source.Discard(queued - frames - kTarget);
    level_ = kTarget;
  }
  if (queued < frames) {
    // The packets stopped (the rest, then silence), or this chunk's own sound never came (lost
    // while the thread was held up): what came later is kept for the chunks it belongs to,
    // and the cushion fills again before sound goes on, in its place on the timeline.
    playing_ = false;
    const size_t own = source.Take(stereo, queued);
    std::fill(stereo + own * kChannels, stereo + frames * kChannels, int16_t{0});
    return own;
  }
  if (level_ > kTarget + kSlack) {
    source.Take(stereo, frames);
    source.Discard(1);
    ++dropped_;
  } else if (level_ < kTarget - kSlack && frames > 1) {
    source.Take(stereo, frames - 1);
    std::copy_n(stereo + (frames - 2) * kChannels, kChannels, stereo + (frames - 1) * kChannels);
    ++repeated_;
  } else {
    source.Take(stereo, frames);
  }
  // Measured as if this chunk had been taken on time.
  level_ += (static_cast<double>(on_time() + age) - level_) / kSmoothing;
  return frames;
}

}  // namespace capture
