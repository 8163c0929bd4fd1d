#include "controls/led_blink.h"

LedShades ShadesOfLedColour(int colour_code) {
  switch (colour_code) {
    case kLedRed:
      return {Rgb(250, 0, 0), Rgb(150, 0, 0)};
    case kLedGreen:
      return {Rgb(0, 250, 0), Rgb(0, 150, 0)};
    default:
      return {Rgb(160, 160, 160), Rgb(96, 96, 96)};
  }
}

void LedBlinkState::Configure() { interval_ = saved_interval_ = kLedPeriodMs; }

std::optional<bool> LedBlinkState::Tick() {
  if (interval_ == 0) return std::nullopt;
  const bool bright = bright_next_;
  bright_next_ = !bright_next_;
  return bright;
}

void LedBlinkState::HoldSteady() {
  // Holding twice must not forget the period to resume with.
  if (interval_ != 0) saved_interval_ = interval_;
  interval_ = 0;
}

int LedBlinkState::ResumeBlinking() {
  interval_ = saved_interval_;
  return interval_;
}
