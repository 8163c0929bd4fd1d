// The sound devices' samples: 48 kHz 16-bit stereo, whatever they come from. No <windows.h>.
#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>

namespace capture {

constexpr int kSampleRate = 48000;
constexpr int kChannels = 2;
constexpr int kBytesPerFrame = kChannels * 2;

// A steady sine tone, the same on both channels, continuing across calls.
class ToneGenerator {
 public:
  ToneGenerator(double frequency, double amplitude) : frequency_(frequency), amplitude_(amplitude) {}
  void Fill(int16_t* stereo, size_t frames);

 private:
  double frequency_, amplitude_;
  uint64_t position_ = 0;
};

// Turns what the system plays (any rate, any channel count, 16-bit integer or 32-bit float
// samples, interleaved) into 48 kHz 16-bit stereo: the first two channels are kept (one is
// doubled), the rate is changed by linear interpolation. Converted frames wait in a queue until
// taken; the queue keeps at most one second, dropping the oldest, so a stalled reader never
// makes it grow without bound.
class PcmConverter {
 public:
  PcmConverter(int rate, int channels, bool is_float) : rate_(rate), channels_(channels), is_float_(is_float) {}

  void Push(const void* data, size_t frames);
  // Fills `frames` frames, with silence where nothing was played; returns how many came from
  // played sound.
  size_t Take(int16_t* stereo, size_t frames);
  size_t Queued() const { return queue_.size() / kChannels; }

 private:
  float Sample(const void* data, size_t frame, int channel) const;

  int rate_, channels_;
  bool is_float_;
  double position_ = 0;  // read position in input frames, relative to the current input block
  float last_[kChannels] = {0, 0};
  std::deque<int16_t> queue_;
};

}  // namespace capture
