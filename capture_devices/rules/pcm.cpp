#include "capture_devices/rules/pcm.h"

#include <algorithm>
#include <cmath>

namespace capture {
namespace {
int16_t ToInt16(float v) { return static_cast<int16_t>(std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f)); }
}  // namespace

void ToneGenerator::Fill(int16_t* stereo, size_t frames) {
  constexpr double kTwoPi = 6.283185307179586;
  for (size_t i = 0; i < frames; ++i, ++position_) {
    // The phase from a whole-number position wrapped once per second stays exact for any length.
    const double t = static_cast<double>(position_ % kSampleRate) / kSampleRate;
    const int16_t v = ToInt16(static_cast<float>(amplitude_ * std::sin(kTwoPi * frequency_ * t)));
    stereo[2 * i] = stereo[2 * i + 1] = v;
  }
}

float PcmConverter::Sample(const void* data, size_t frame, int channel) const {
  const int c = std::min(channel, channels_ - 1);
  const size_t at = frame * channels_ + c;
  if (is_float_) return static_cast<const float*>(data)[at];
  return static_cast<const int16_t*>(data)[at] / 32768.0f;
}

void PcmConverter::Push(const void* data, size_t frames) {
  if (channels_ < 1 || rate_ < 1 || frames == 0) return;
  const double step = static_cast<double>(rate_) / kSampleRate;
  // position_ runs from -1 (between the previous block's last frame and this block's first)
  // up to the last frame of this block.
  while (position_ <= static_cast<double>(frames - 1)) {
    const double floor_pos = std::floor(position_);
    const auto index = static_cast<long long>(floor_pos);
    const float fraction = static_cast<float>(position_ - floor_pos);
    for (int c = 0; c < kChannels; ++c) {
      const float a = index < 0 ? last_[c] : Sample(data, static_cast<size_t>(index), c);
      const float b =
          Sample(data, static_cast<size_t>(index + 1 < static_cast<long long>(frames) ? index + 1 : index), c);
      queue_.push_back(ToInt16(a + (b - a) * fraction));
    }
    position_ += step;
  }
  position_ -= static_cast<double>(frames);
  for (int c = 0; c < kChannels; ++c) last_[c] = Sample(data, frames - 1, c);
  const size_t limit = static_cast<size_t>(kSampleRate) * kChannels;
  if (queue_.size() > limit) queue_.erase(queue_.begin(), queue_.begin() + (queue_.size() - limit));
}

size_t PcmConverter::Take(int16_t* stereo, size_t frames) {
  const size_t played = std::min(frames, Queued());
  std::copy_n(queue_.begin(), played * kChannels, stereo);
  queue_.erase(queue_.begin(), queue_.begin() + played * kChannels);
  std::fill(stereo + played * kChannels, stereo + frames * kChannels, int16_t{0});
  return played;
}

}  // namespace capture
