#include "capture_devices/rules/pcm.h"

#include <algorithm>
#include <cmath>

namespace capture {

size_t FramesBeforeStart(int64_t begin, size_t frames) {
  if (begin >= 0) return 0;
  // Rounded up: a frame that starts before the start is left out whole.
  const int64_t before = (-begin * kSampleRate + 9999999) / 10000000;
  return before < static_cast<int64_t>(frames) ? static_cast<size_t>(before) : frames;
}

int64_t FramesToTime(size_t frames) { return static_cast<int64_t>(frames) * 10000000 / kSampleRate; }

namespace {

int16_t ToInt16(float v) {
  if (std::isnan(v)) return 0;  // a broken sample is silence, not whatever the cast makes of it
  const float scaled = std::clamp(v, -1.0f, 1.0f) * 32767.0f;
  return static_cast<int16_t>(scaled < 0 ? scaled - 0.5f : scaled + 0.5f);
}

constexpr float kMinus3dB = 0.70710678f;

struct SideShare {
  float left, right;
};

// Where a speaker's sound goes in stereo. The low-frequency channel carries what the other
// channels already hold, and speakers above the listener are rare in what is played: both left out.
SideShare ShareOf(uint32_t speaker) {
  switch (speaker) {
    case kFrontLeft:
    case kFrontLeftOfCenter:
      return {1, 0};
    case kFrontRight:
    case kFrontRightOfCenter:
      return {0, 1};
    case kFrontCenter:
      return {kMinus3dB, kMinus3dB};
    case kBackLeft:
    case kSideLeft:
      return {kMinus3dB, 0};
    case kBackRight:
    case kSideRight:
      return {0, kMinus3dB};
    case kBackCenter:
      return {0.5f, 0.5f};
    default:
      return {0, 0};
  }
}

}  // namespace

uint32_t DefaultChannelMask(int channels) {
  constexpr uint32_t kStereo = kFrontLeft | kFrontRight;
  constexpr uint32_t kFiveOne = kStereo | kFrontCenter | kLowFrequency | kBackLeft | kBackRight;
  switch (channels) {
    case 1:
      return kFrontCenter;
    case 3:
      return kStereo | kFrontCenter;
    case 4:
      return kStereo | kBackLeft | kBackRight;
    case 5:
      return kStereo | kFrontCenter | kBackLeft | kBackRight;
    case 6:
      return kFiveOne;
    case 7:
      return kFiveOne | kBackCenter;
    case 8:
      return kFiveOne | kSideLeft | kSideRight;
    default:
      return kStereo;
  }
}

void ToneGenerator::Fill(int16_t* stereo, size_t frames) {
  constexpr double kTwoPi = 6.283185307179586;
  for (size_t i = 0; i < frames; ++i, ++position_) {
    // The phase from a whole-number position wrapped once per second stays exact for any length.
    const double t = static_cast<double>(position_ % kSampleRate) / kSampleRate;
    const int16_t v = ToInt16(static_cast<float>(amplitude_ * std::sin(kTwoPi * frequency_ * t)));
    stereo[2 * i] = stereo[2 * i + 1] = v;
  }
}

PcmConverter::PcmConverter(int rate, int channels, bool is_float, uint32_t channel_mask)
    : rate_(rate), channels_(channels), is_float_(is_float) {
  if (channels_ < 1) return;
  weights_.assign(static_cast<size_t>(channels_) * kChannels, 0.0f);
  if (channels_ == 1) {  // mono on both sides at its own level
    weights_[0] = weights_[1] = 1;
    return;
  }
  uint32_t mask = channel_mask ? channel_mask : DefaultChannelMask(channels_);
  // The n-th set bit of the mask names the n-th channel; channels past the mask are not heard.
  for (int c = 0; c < channels_ && mask; ++c) {
    const uint32_t speaker = mask & (~mask + 1);
    mask &= mask - 1;
    const SideShare share = ShareOf(speaker);
    weights_[c * kChannels] = share.left;
    weights_[c * kChannels + 1] = share.right;
  }
}

void PcmConverter::Push(const void* data, size_t frames) {
  if (channels_ < 1 || rate_ < 1 || frames == 0) return;
  // Mixed down first, so that the rate change below reads plain stereo.
  mixed_.resize(frames * kChannels);
  if (is_float_)
    MixDown(static_cast<const float*>(data), frames, 1.0f);
  else
    MixDown(static_cast<const int16_t*>(data), frames, 1.0f / 32768);
  const double step = static_cast<double>(rate_) / kSampleRate;
  if (step == 1 && position_ == 0) {  // already at 48 kHz: nothing to interpolate
    const size_t at = queue_.size();
    queue_.resize(at + mixed_.size());
    std::transform(mixed_.begin(), mixed_.end(), queue_.begin() + static_cast<std::ptrdiff_t>(at), ToInt16);
  } else {
    // position_ runs from -1 (between the previous block's last frame and this block's first)
    // up to the last frame of this block.
    while (position_ <= static_cast<double>(frames - 1)) {
      const double floor_pos = std::floor(position_);
      const auto index = static_cast<long long>(floor_pos);
      const float fraction = static_cast<float>(position_ - floor_pos);
      for (int side = 0; side < kChannels; ++side) {
        const float a = index < 0 ? last_[side] : mixed_[static_cast<size_t>(index) * kChannels + side];
        const float b =
            index + 1 < static_cast<long long>(frames) ? mixed_[static_cast<size_t>(index + 1) * kChannels + side] : a;
        queue_.push_back(ToInt16(a + (b - a) * fraction));
      }
      position_ += step;
    }
    position_ -= static_cast<double>(frames);
  }
  std::copy_n(mixed_.end() - kChannels, kChannels, last_);
  const size_t limit = static_cast<size_t>(kSampleRate);
  if (Queued() > limit) Discard(Queued() - limit);
}

template <typename Sample>
void PcmConverter::MixDown(const Sample* in, size_t frames, float scale) {
  const float* weights = weights_.data();
  for (size_t frame = 0; frame < frames; ++frame, in += channels_) {
    float left = 0, right = 0;
    for (int c = 0; c < channels_; ++c) {
      const float v = static_cast<float>(in[c]) * scale;
      left += weights[2 * c] * v;
      right += weights[2 * c + 1] * v;
    }
    mixed_[2 * frame] = left;
    mixed_[2 * frame + 1] = right;
  }
}

size_t PcmConverter::Take(int16_t* stereo, size_t frames) {
  const size_t played = std::min(frames, Queued());
  std::copy_n(queue_.begin() + static_cast<std::ptrdiff_t>(head_), played * kChannels, stereo);
  Discard(played);
  std::fill(stereo + played * kChannels, stereo + frames * kChannels, int16_t{0});
  return played;
}

void PcmConverter::Discard(size_t frames) {
  head_ += std::min(frames, Queued()) * kChannels;
  // Taken frames are removed from the front only now and then, so taking costs no more than copying.
  if (head_ == queue_.size()) {
    queue_.clear();
    head_ = 0;
  } else if (head_ >= 16384 && head_ * 2 >= queue_.size()) {
    queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(head_));
    head_ = 0;
  }
}

}  // namespace capture
