// The system sound and a microphone in one track: each at its own level, summed in floating
// point and brought back under full scale by a soft limit, so loud moments of both together
// are rounded off instead of wrapping round to the other sign. Both come in as 48 kHz stereo
// chunks already held to the recording's pace by their own cushions (a mono microphone is
// doubled on the way, by its converter). No <windows.h> here.
#pragma once
#include <cstddef>
#include <cstdint>

namespace capture {

struct MixLevels {
  float system = 1.0f;
  float microphone = 1.0f;
};

// Below this, a sum passes unchanged; above it, it bends towards full scale without reaching it.
constexpr float kSoftLimitKnee = 0.85f * 32767.0f;

// One sample of the sum, under full scale.
int16_t SoftLimit(float sum);

// Adds `microphone` into `system`, frame for frame.
void MixInto(int16_t* system, const int16_t* microphone, size_t frames, const MixLevels& levels);

}  // namespace capture
