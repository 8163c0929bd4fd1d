#pragma once
// The status lamp's colours and its blink phase, apart from any drawing.
#include <optional>

#include "controls/colour.h"

constexpr int kLedRed = 2001;
constexpr int kLedGreen = 2002;
constexpr int kLedPeriodMs = 500;

struct LedShades {
  Colour bright;
  Colour dark;
};

// Red RGB(250,0,0)/RGB(150,0,0), green RGB(0,250,0)/RGB(0,150,0); an unknown code
// gives a neutral grey so the lamp never shows a colour nobody chose.
LedShades ShadesOfLedColour(int colour_code);

class LedBlinkState {
 public:
  // Both periods become 500 ms; the phase is kept, so a lamp configured again goes on
  // from the shade after the last one it drew.
  void Configure();
  // The shade the next tick draws (true: bright), or nothing while the lamp holds.
  std::optional<bool> Tick();
  // Keeps the last drawn shade; ticks draw nothing until ResumeBlinking.
  void HoldSteady();
  // Returns the period to blink with again (0: nothing to resume).
  int ResumeBlinking();

  int interval() const { return interval_; }

 private:
  bool bright_next_ = false;  // a new lamp draws the dark shade first
  int interval_ = 0;
  int saved_interval_ = 0;
};
