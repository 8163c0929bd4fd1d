#include "capture_devices/rules/sound_mix.h"

#include <cmath>

#include "capture_devices/rules/pcm.h"

namespace capture {

int16_t SoftLimit(float sum) {
  if (std::isnan(sum)) return 0;
  const float magnitude = std::fabs(sum);
  if (magnitude <= kSoftLimitKnee) return static_cast<int16_t>(std::lround(sum));
  // tanh keeps the curve's slope 1 at the knee, so the bend is heard only as a rounded peak.
  constexpr float kRoom = 32767.0f - kSoftLimitKnee;
  const float bent = kSoftLimitKnee + kRoom * std::tanh((magnitude - kSoftLimitKnee) / kRoom);
  const auto limited = static_cast<int16_t>(std::lround(std::fmin(bent, 32767.0f)));
  return sum < 0 ? static_cast<int16_t>(-limited) : limited;
}

void MixInto(int16_t* system, const int16_t* microphone, size_t frames, const MixLevels& levels) {
  for (size_t i = 0; i < frames * kChannels; ++i)
    system[i] = SoftLimit(levels.system * static_cast<float>(system[i]) +
                          levels.microphone * static_cast<float>(microphone[i]));
}

}  // namespace capture
