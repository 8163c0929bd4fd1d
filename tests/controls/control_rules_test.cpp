// The controls' rules without any window: strip frames, corner staircase, lamp phase,
// label gradient and text format.
#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "controls/corner_trim.h"
#include "controls/label_paint_rules.h"
#include "controls/led_blink.h"
#include "controls/strip_frames.h"

namespace {

TEST(StripFrames, FrameIsAThirdOfTheStripAndTheRemainderIsDropped) {
  EXPECT_EQ(32, FrameSizeOfStrip(96, 32).width);
  EXPECT_EQ(32, FrameSizeOfStrip(96, 32).height);
  const FrameSize odd = FrameSizeOfStrip(100, 32);
  EXPECT_EQ(33, odd.width);
  EXPECT_EQ(0, FrameLeft(StripFrame::kNormal, odd.width));
  EXPECT_EQ(33, FrameLeft(StripFrame::kPressed, odd.width));
  EXPECT_EQ(66, FrameLeft(StripFrame::kHover, odd.width));
}

TEST(StripFrames, PressedWinsOverHover) {
  EXPECT_EQ(StripFrame::kNormal, ChooseFrame(false, false));
  EXPECT_EQ(StripFrame::kHover, ChooseFrame(false, true));
  EXPECT_EQ(StripFrame::kPressed, ChooseFrame(true, true));
  EXPECT_EQ(StripFrame::kPressed, ChooseFrame(true, false));
}

using PixelSet = std::set<std::pair<int, int>>;

PixelSet Cuts(int w, int h, const PixelSet& keys) {
  PixelSet result;
  for (const PixelPoint& p : FindCornerCuts(w, h, [&](int x, int y) { return keys.count({x, y}) > 0; })) {
    result.insert({p.x, p.y});  // scans of neighbouring corners may meet; a second cut is harmless
  }
  return result;
}

TEST(CornerTrim, SixPixelStaircaseIsCutExactly) {
  const PixelSet corner{{0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}, {2, 0}};
  EXPECT_EQ(corner, Cuts(32, 32, corner));
}

TEST(CornerTrim, KeyPixelBeyondAnOpaqueOneStays) {
  // Column 0: key, key, opaque, key; column 1 may reach row 2 at most.
  const PixelSet keys{{0, 0}, {0, 1}, {0, 3}, {1, 0}, {1, 1}, {1, 2}, {1, 3}};
  EXPECT_EQ((PixelSet{{0, 0}, {0, 1}, {1, 0}, {1, 1}, {1, 2}}), Cuts(32, 32, keys));
}

TEST(CornerTrim, NoKeyColourCutsNothing) { EXPECT_TRUE(Cuts(32, 32, {}).empty()); }

TEST(CornerTrim, AllFourCornersOfARoundedButton) {
  // A radius-2 rounding at every corner: three pixels each.
  PixelSet keys;
  const int w = 20, h = 10;
  for (auto [x, y] : PixelSet{{0, 0}, {1, 0}, {0, 1}}) {
    keys.insert({x, y});
    keys.insert({w - 1 - x, y});
    keys.insert({x, h - 1 - y});
    keys.insert({w - 1 - x, h - 1 - y});
  }
  keys.insert({10, 0});  // key colour inside the picture, not in a corner
  PixelSet expected = keys;
  expected.erase({10, 0});
  EXPECT_EQ(expected, Cuts(w, h, keys));
}

TEST(CornerTrim, ColumnsStopAtTheMiddleRow) {
  // An all-key picture: the top scan ends at row h/2, the bottom scan at the same row.
  PixelSet all;
  for (int x = 0; x < 4; ++x)
    for (int y = 0; y < 6; ++y) all.insert({x, y});
  const PixelSet cut = Cuts(4, 6, all);
  EXPECT_EQ(all, cut);  // rows 0..3 from the top, rows 5..3 from the bottom: every pixel
  EXPECT_TRUE(Cuts(0, 5, all).empty());
}

TEST(LedBlink, ShadesOfBothColours) {
  EXPECT_EQ(Rgb(250, 0, 0), ShadesOfLedColour(kLedRed).bright);
  EXPECT_EQ(Rgb(150, 0, 0), ShadesOfLedColour(kLedRed).dark);
  EXPECT_EQ(0x00FA00u, ShadesOfLedColour(kLedGreen).bright);
  EXPECT_EQ(0x009600u, ShadesOfLedColour(kLedGreen).dark);
}

TEST(LedBlink, PhaseCarriesOverBetweenConfigurations) {
  LedBlinkState led;
  led.Configure();
  EXPECT_EQ(std::optional<bool>(false), led.Tick());  // a new lamp starts dark
  led.HoldSteady();
  EXPECT_EQ(std::nullopt, led.Tick());  // holding: ticks draw nothing
  EXPECT_EQ(std::nullopt, led.Tick());
  led.Configure();
  EXPECT_EQ(std::optional<bool>(true), led.Tick());  // configured again: bright first
  EXPECT_EQ(std::optional<bool>(false), led.Tick());
}

TEST(LedBlink, ResumeUsesThePeriodBeforeHoldingEvenAfterHoldingTwice) {
  LedBlinkState led;
  EXPECT_EQ(0, led.ResumeBlinking());  // never configured: nothing to resume
  led.Configure();
  led.HoldSteady();
  led.HoldSteady();
  EXPECT_EQ(0, led.interval());
  EXPECT_EQ(kLedPeriodMs, led.ResumeBlinking());
  EXPECT_TRUE(led.Tick().has_value());
}

TEST(LabelGradient, WideLabelHasHundredBandsAndAWideLastOne) {
  const auto bands = GradientBands(0, 250, Rgb(0, 0, 0), Rgb(255, 255, 255));
  ASSERT_EQ(100u, bands.size());
  for (size_t i = 0; i < 99; ++i) {
    EXPECT_EQ(static_cast<int>(2 * i), bands[i].left);
    EXPECT_EQ(static_cast<int>(2 * i + 2), bands[i].right);
  }
  EXPECT_EQ(198, bands[99].left);
  EXPECT_EQ(250, bands[99].right);
}

TEST(LabelGradient, BlackToRedStopsShortOfPureRed) {
  const auto bands = GradientBands(10, 110, Rgb(0, 0, 0), Rgb(255, 0, 0));
  ASSERT_EQ(100u, bands.size());
  EXPECT_EQ(Rgb(0, 0, 0), bands.front().colour);
  EXPECT_EQ(Rgb(2, 0, 0), bands[1].colour);  // 652 / 256
  EXPECT_EQ(Rgb(252, 0, 0), bands.back().colour);
  EXPECT_EQ(10, bands.front().left);
  EXPECT_EQ(110, bands.back().right);
}

TEST(LabelGradient, FallingChannelsAndNarrowLabels) {
  const auto down = GradientBands(0, 4, Rgb(200, 100, 0), Rgb(0, 100, 200));
  ASSERT_EQ(4u, down.size());
  EXPECT_EQ(Rgb(50, 100, 150), down[3].colour);
  const auto one = GradientBands(5, 6, Rgb(1, 2, 3), Rgb(255, 255, 255));
  ASSERT_EQ(1u, one.size());
  EXPECT_EQ(Rgb(1, 2, 3), one[0].colour);
  EXPECT_EQ(5, one[0].left);
  EXPECT_EQ(6, one[0].right);
  EXPECT_TRUE(GradientBands(5, 5, 0, 0).empty());
  EXPECT_TRUE(GradientBands(5, 3, 0, 0).empty());
}

TEST(LabelTextFormat, AlignmentTabsAndCentredImages) {
  using namespace text_format;
  struct Case {
    std::uint32_t style;
    const wchar_t* text;
    std::uint32_t format;
  } cases[] = {
      {0, L"abc", 0x34},
      {label_style::kCenter, L"abc", 0x31},
      {label_style::kRight, L"abc", 0x36},
      {0xB, L"abc", 0x34},  // other types draw left-aligned
      {0, L"a\tb", 0x34 | kExpandTabs},
      {label_style::kCenterImage, L"abc", 0x34 | kCenter | kVCenter},
      {label_style::kCenterImage | label_style::kRight, L"abc", 0x36 | kCenter},
      {label_style::kCenterImage | label_style::kRight, L"a\r\nb", 0x36},
      {label_style::kCenterImage, L"a\nb", 0x35},  // a bare LF is not a line break here
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.format, LabelTextFormat(c.style, c.text)) << "style " << c.style;
  }
}

}  // namespace
