// The ring that shows clicks in a recording: what a frame shows from the buttons read once per
// frame, and where and how large the ring is.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "capture_devices/rules/click_ring.h"

using namespace capture;

namespace {

constexpr ButtonReading kUp{false, false}, kDown{true, false}, kPressedAndHeld{true, true},
    kClickedBetween{false, true};

// "L255", "R60" or "-": the ring a reading at `ms` gives.
std::string Shown(ClickMemory& memory, int64_t ms, ButtonReading left, ButtonReading right = kUp) {
  const std::optional<RingPulse> pulse = memory.Update(ms, left, right);
  if (!pulse) return "-";
  return (pulse->button == ClickButton::kLeft ? "L" : "R") + std::to_string(pulse->opacity);
}

}  // namespace

TEST(ClickMemory, ShowsPressesAsPulsesThatFadeWithinTheirTime) {
  // Readings every 40 ms, as at 25 frames per second.
  ClickMemory memory;
  EXPECT_EQ(Shown(memory, 0, kUp), "-");
  EXPECT_EQ(Shown(memory, 40, kPressedAndHeld), "L255") << "a press";
  EXPECT_EQ(Shown(memory, 80, kDown), "L255") << "held";
  EXPECT_EQ(Shown(memory, 120, kUp), "L255") << "released at this reading";
  EXPECT_EQ(Shown(memory, 160, kUp), "L192") << "fading";
  EXPECT_EQ(Shown(memory, 200, kUp), "L137");
  // The second press of a double click starts again at full strength: two pulses.
  EXPECT_EQ(Shown(memory, 240, kPressedAndHeld), "L255");
  EXPECT_EQ(Shown(memory, 280, kUp), "L255");
  EXPECT_EQ(Shown(memory, 560, kUp), "L1");
  EXPECT_EQ(Shown(memory, 580, kUp), "-") << "gone 300 ms after the release";

  // A click shorter than a frame, between two readings, still shows and fades.
  EXPECT_EQ(Shown(memory, 960, kUp), "-");
  EXPECT_EQ(Shown(memory, 1000, kUp, kClickedBetween), "R255");
  EXPECT_EQ(Shown(memory, 1040, kUp), "R192");
  EXPECT_EQ(Shown(memory, 1300, kUp), "-");
  // Two buttons: the one pressed last shows.
  EXPECT_EQ(Shown(memory, 2000, kPressedAndHeld), "L255");
  EXPECT_EQ(Shown(memory, 2040, kDown, kPressedAndHeld), "R255");
  EXPECT_EQ(Shown(memory, 2080, kDown, kUp), "R255") << "released at this reading";
  EXPECT_EQ(Shown(memory, 2120, kDown, kUp), "R192");
  EXPECT_EQ(Shown(memory, 2400, kDown, kUp), "L255") << "the other is still held";
}

TEST(ClickMemory, NoStaleRingFromPressesTheReadingsDidNotWitness) {
  // The first reading of a run may report the click that started the recording.
  ClickMemory memory;
  EXPECT_EQ(Shown(memory, 5000, kClickedBetween, kClickedBetween), "-");
  // After a pause longer than the memory, a press reported then is just as old.
  EXPECT_EQ(Shown(memory, 5040, kUp), "-");
  EXPECT_EQ(Shown(memory, 5040 + kPressMemoryMs + 1, kClickedBetween), "-");
  // A button held through a pause is still held.
  EXPECT_EQ(Shown(memory, 9000, kPressedAndHeld), "L255");
  // A clock that steps back (a suspended machine) shows nothing stale either.
  EXPECT_EQ(Shown(memory, 9040, kUp), "L255");
  EXPECT_EQ(Shown(memory, 100, kUp), "-");
}

TEST(ClickRingGeometry, SizeByDpiAndClippedToTheArea) {
  EXPECT_EQ(RingDiameter(96), 24);
  EXPECT_EQ(RingDiameter(120), 30);
  EXPECT_EQ(RingDiameter(144), 36);
  EXPECT_EQ(RingDiameter(192), 48);
  EXPECT_EQ(RingDiameter(0), 24) << "no DPI found";
  EXPECT_EQ(RingDiameter(100000), 24) << "an absurd DPI";

  struct Case {
    const char* what;
    int64_t x, y;
    std::optional<CaptureRect> target;
    int32_t source_left, source_top;
  } cases[] = {
      {"in the middle", 100, 100, CaptureRect{88, 88, 24, 24}, 0, 0},
      {"at the top-left corner", 0, 0, CaptureRect{0, 0, 12, 12}, 12, 12},
      {"at the last pixel", 399, 299, CaptureRect{387, 287, 13, 13}, 0, 0},
      {"left of the area", -1, 100, std::nullopt, 0, 0},
      {"below the area", 100, 300, std::nullopt, 0, 0},
      {"far off, on another monitor", int64_t{1} << 40, 100, std::nullopt, 0, 0},
  };
  for (const Case& c : cases) {
    const std::optional<RingPlacement> placed = PlaceRing(c.x, c.y, 400, 300, 24);
    ASSERT_EQ(placed.has_value(), c.target.has_value()) << c.what;
    if (!placed) continue;
    EXPECT_EQ(placed->target, *c.target) << c.what;
    EXPECT_EQ(placed->source_left, c.source_left) << c.what;
    EXPECT_EQ(placed->source_top, c.source_top) << c.what;
  }
}

TEST(ClickRingGeometry, PictureIsARoundTranslucentDiscWithAStrongerRim) {
  const std::vector<uint32_t> ring = RingPicture(24, kLeftRingColour);
  ASSERT_EQ(ring.size(), 24u * 24u);
  const auto alpha = [&](int x, int y) { return ring[y * 24 + x] >> 24; };
  EXPECT_EQ(alpha(0, 0), 0u) << "corners are outside";
  EXPECT_EQ(alpha(23, 23), 0u);
  EXPECT_EQ(alpha(12, 12), 140u) << "the disc";
  EXPECT_EQ(alpha(1, 12), 230u) << "the rim";
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 24; ++x) {
      EXPECT_EQ(ring[y * 24 + x], ring[(23 - y) * 24 + (23 - x)]) << "symmetric at " << x << "," << y;
      // Premultiplied: no channel above the pixel's alpha, or AlphaBlend brightens the picture.
      const uint32_t p = ring[y * 24 + x];
      EXPECT_LE((p >> 16) & 0xFF, p >> 24);
      EXPECT_LE(p & 0xFF, p >> 24);
    }
  EXPECT_EQ(ring[12 * 24 + 12], 0x8C8C7900u) << "yellow at 140 of 255";
}
