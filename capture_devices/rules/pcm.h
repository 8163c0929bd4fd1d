// The sound devices' samples: 48 kHz 16-bit stereo, whatever they come from. No <windows.h>.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

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

// A chunk of `frames` frames whose stamp `begin` (100-ns units, stream time) lies before the
// recording's start: how many of its first frames come before it, none to all of them. The
// rest begins at `begin` plus that many frames, never before the start.
size_t FramesBeforeStart(int64_t begin, size_t frames);
int64_t FramesToTime(size_t frames);

// Speaker positions of a channel mask, in the order the channels are interleaved (the values
// of WAVEFORMATEXTENSIBLE's dwChannelMask).
enum SpeakerBit : uint32_t {
  kFrontLeft = 0x1,
  kFrontRight = 0x2,
  kFrontCenter = 0x4,
  kLowFrequency = 0x8,
  kBackLeft = 0x10,
  kBackRight = 0x20,
  kFrontLeftOfCenter = 0x40,
  kFrontRightOfCenter = 0x80,
  kBackCenter = 0x100,
  kSideLeft = 0x200,
  kSideRight = 0x400,
};

// The usual mask of a channel count, for formats that give none (mono, stereo, 5.1, 7.1, ...).
uint32_t DefaultChannelMask(int channels);

// Turns what the system plays (any rate, any channel count, 16-bit integer or 32-bit float
// samples, interleaved) into 48 kHz 16-bit stereo. Channels are mixed down by their speaker
// positions: left and right as they are, centre and surrounds into both sides at -3 dB, so
// dialogue on a 5.1 or 7.1 centre channel is kept; the low-frequency channel is left out and
// mono is doubled. The rate is changed by linear interpolation. Converted frames wait in a
// queue until taken; the queue keeps at most one second, dropping the oldest, so a stalled
// reader never makes it grow without bound.
class PcmConverter {
 public:
  // `channel_mask` 0 means the usual layout of `channels`.
  PcmConverter(int rate, int channels, bool is_float, uint32_t channel_mask = 0);

  void Push(const void* data, size_t frames);
  // Fills `frames` frames, with silence where nothing was played; returns how many came from
  // played sound.
  size_t Take(int16_t* stereo, size_t frames);
  // Forgets the oldest `frames` queued frames.
  void Discard(size_t frames);
  size_t Queued() const { return (queue_.size() - head_) / kChannels; }

 private:
  template <typename Sample>
  void MixDown(const Sample* in, size_t frames, float scale);

  int rate_, channels_;
  bool is_float_;
  std::vector<float> weights_;  // per input channel: its share of the left, then of the right side
  double position_ = 0;         // read position in input frames, relative to the current input block
  float last_[kChannels] = {0, 0};
  std::vector<float> mixed_;    // the block being converted, in stereo
  std::vector<int16_t> queue_;  // frames from head_ on are waiting
  size_t head_ = 0;
};

}  // namespace capture
