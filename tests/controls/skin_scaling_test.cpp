// Display scaling rules: the DPI to lay out for, lengths at a scale, and skin bitmaps resized
// with their key-coloured cut-outs kept.
#include <gtest/gtest.h>

#include "controls/dpi_scale.h"
#include "controls/skin_scaling.h"

namespace {

TEST(DpiScale, NoAnswerOrAScaleWindowsDoesNotOfferIsTakenAsTheNearestItDoes) {
  EXPECT_EQ(96, UsableDpi(0));
  EXPECT_EQ(96, UsableDpi(-120));
  EXPECT_EQ(96, UsableDpi(72));
  EXPECT_EQ(264, UsableDpi(264));  // 275 %, never seen in a test prefix
  EXPECT_EQ(480, UsableDpi(100000));
}

TEST(DpiScale, LengthsRoundToTheNearestPixelHalvesAwayFromZero) {
  struct Case {
    int32_t value;
    int dpi;
    int32_t scaled;
  } cases[] = {{611, 96, 611}, {611, 120, 764}, {611, 144, 917}, {611, 168, 1069},  {611, 192, 1222},
               {69, 264, 190}, {3, 144, 5},     {-3, 144, -5},   {-200, 120, -250}, {0x7FFFFFF, 480, 0x27FFFFFB}};
  for (const Case& c : cases) EXPECT_EQ(c.scaled, ScaleForDpi(c.value, c.dpi)) << c.value << " at " << c.dpi;
  // The status line's 10 points.
  EXPECT_EQ(-13, FontHeightForDpi(10, 96));
  EXPECT_EQ(-17, FontHeightForDpi(10, 120));
  EXPECT_EQ(-20, FontHeightForDpi(10, 144));
  EXPECT_EQ(-27, FontHeightForDpi(10, 192));
}

constexpr uint32_t kKey = 0x1FFBDE;  // the buttons' key colour, RGB(31, 251, 222)

SkinPixels Picture(int width, int height, uint32_t fill) {
  return {width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height, fill)};
}

uint32_t At(const SkinPixels& p, int x, int y) { return p.data[static_cast<size_t>(y) * p.width + x]; }

TEST(SkinScaling, DoubleSizeRepeatsEveryPixelExactly) {
  SkinPixels source = Picture(3, 2, 0);
  for (size_t i = 0; i < source.data.size(); ++i) source.data[i] = 0x102030u * static_cast<uint32_t>(i + 1);
  source.data[0] = kKey;
  const SkinPixels scaled = ScaleKeyedPixels(source, 6, 4, kKey);
  ASSERT_EQ(24u, scaled.data.size());
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(At(source, x / 2, y / 2), At(scaled, x, y)) << x << "," << y;
}

TEST(SkinScaling, KeyPixelsStayCutOutAndNeverTintTheirNeighbours) {
  // A 4 x 4 grey tile whose top-left 2 x 2 is the key, at 150 %: the new pixels mostly over
  // the key are the key; every other pixel is the grey alone.
  SkinPixels source = Picture(4, 4, 0x404040);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) source.data[static_cast<size_t>(y) * 4 + x] = kKey;
  const SkinPixels scaled = ScaleKeyedPixels(source, 6, 6, kKey);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 6; ++x) {
      const bool in_key = x < 3 && y < 3;
      EXPECT_EQ(in_key ? kKey : 0x404040u, At(scaled, x, y)) << x << "," << y;
    }
  }
  // At 75 %: a pixel half over the key is cut, one a quarter over it is the grey, untinted.
  const SkinPixels smaller = ScaleKeyedPixels(source, 3, 3, kKey);
  EXPECT_EQ(kKey, At(smaller, 0, 0));
  EXPECT_EQ(kKey, At(smaller, 1, 0));
  EXPECT_EQ(0x404040u, At(smaller, 1, 1));
  EXPECT_EQ(0x404040u, At(smaller, 2, 0));
}

TEST(SkinScaling, BlendsEvenlyBetweenWholeMultiplesAndNeverLandOnTheKey) {
  // Black and white columns at 125 %: the new pixel across both is their mix.
  SkinPixels source = Picture(4, 1, 0);
  source.data = {0x000000, 0xFFFFFF, 0x000000, 0xFFFFFF};
  const SkinPixels scaled = ScaleKeyedPixels(source, 5, 1, kKey);
  EXPECT_EQ(0x000000u, At(scaled, 0, 0));  // covers source [0, 0.8)
  EXPECT_EQ(0xBFBFBFu, At(scaled, 1, 0));  // [0.8, 1.6): a quarter black, three quarters white
  // Two colours whose mix is exactly the key colour: the mix is moved off it.
  SkinPixels pair = Picture(2, 1, 0);
  pair.data = {kKey - 0x010101, kKey + 0x010101};
  EXPECT_NE(kKey, At(ScaleKeyedPixels(pair, 1, 1, kKey), 0, 0));
}

TEST(SkinScaling, StripFramesAreScaledEachOnItsOwn) {
  // Three 36-pixel frames (red, green, blue) and a remainder column that is never shown.
  SkinPixels strip = Picture(3 * 36 + 1, 36, 0);
  for (int y = 0; y < 36; ++y)
    for (int x = 0; x < strip.width; ++x)
      strip.data[static_cast<size_t>(y) * strip.width + x] = x < 36 ? 0xFF0000 : x < 72 ? 0x00FF00 : 0x0000FF;
  for (int dpi : {120, 144, 168, 264}) {
    const SkinPixels scaled = ScaleStripForDpi(strip, 3, dpi, kKey);
    const int frame = ScaleForDpi(36, dpi);
    ASSERT_EQ(3 * frame, scaled.width) << dpi;
    ASSERT_EQ(frame, scaled.height) << dpi;
    for (int f = 0; f < 3; ++f) {
      const uint32_t colour = 0xFF0000u >> (8 * f);
      EXPECT_EQ(colour, At(scaled, f * frame, frame - 1)) << dpi << " frame " << f;
      EXPECT_EQ(colour, At(scaled, (f + 1) * frame - 1, 0)) << dpi << " frame " << f;
    }
  }
  EXPECT_TRUE(ScaleStripForDpi(Picture(2, 5, 0), 3, 144, kKey).data.empty());  // narrower than 3 frames
}

}  // namespace
