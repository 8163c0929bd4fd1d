// The bar's controls on its skin at every display scale.
#include <gtest/gtest.h>

#include "bar/bar_layout.h"
#include "controls/dpi_scale.h"
#include "res/resource.h"

static bool operator==(const BarRect& a, const BarRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
static void PrintTo(const BarRect& r, std::ostream* out) {
  *out << "{" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "}";
}

namespace {

bool Inside(const BarRect& inner, const BarRect& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom && inner.Width() > 0 && inner.Height() > 0;
}

TEST(BarLayout, EveryControlStaysOnItsPartOfTheSkinAtEveryScale) {
  const BarRect skin{0, 0, kSkinWidth, kSkinHeight};
  const BarRect buttons{0, 0, 263, kSkinHeight};  // left of the groove (rounding may touch its first column)
  const BarRect well{287, 23, 580, 57};           // the display behind the lamp and the text
  const int buttons_ids[] = {IDC_START, IDC_AREA, IDC_CAMERA, IDC_FILES, IDC_SETUP, IDC_ABOUT};
  // 100 % to 500 % in steps of 1 DPI: the usual 125 %, 150 %, 175 %, 200 % and any other.
  for (int dpi = kSmallestDpi; dpi <= kLargestDpi; ++dpi) {
    BarRect place{};
    BarRect previous{};
    for (int id : buttons_ids) {
      ASSERT_TRUE(BarControlPlaceAt96(id, place)) << id;
      // The button's place, and the size of its strip's frame at that scale.
      BarRect scaled = ScaleBarRect(place, dpi);
      scaled.right = scaled.left + ScaleForDpi(36, dpi);
      scaled.bottom = scaled.top + ScaleForDpi(36, dpi);
      ASSERT_TRUE(Inside(scaled, ScaleBarRect(buttons, dpi))) << id << " at " << dpi;
      EXPECT_LT(previous.right, scaled.left) << id << " at " << dpi;  // never overlapping
      previous = scaled;
    }
    for (int id : {IDC_LED, IDC_STATUS}) {
      ASSERT_TRUE(BarControlPlaceAt96(id, place));
      ASSERT_TRUE(Inside(ScaleBarRect(place, dpi), ScaleBarRect(well, dpi))) << id << " at " << dpi;
    }
    ASSERT_TRUE(BarControlPlaceAt96(IDC_STOP, place));
    EXPECT_TRUE(Inside(ScaleBarRect(place, dpi), ScaleBarRect(skin, dpi)));
    // The close button's corner and size scale with the skin.
    const BarRect skin_at_dpi = ScaleBarRect(skin, dpi);
    const int close = ScaleForDpi(24, dpi);
    EXPECT_TRUE(Inside(CloseButtonPlace(skin_at_dpi, close, close, ScaleForDpi(4, dpi)), skin_at_dpi));
  }
  BarRect place{};
  EXPECT_FALSE(BarControlPlaceAt96(2, place));  // the close button (IDCANCEL) has its own rule
  EXPECT_FALSE(BarControlPlaceAt96(4711, place));
}

// Worked out by hand (halves away from zero), not by the function under test: the lamp and
// the status line, and a button, at 100 %, 125 %, 150 % and 200 %.
TEST(BarLayout, ScalesEachEdgeOnItsOwnAxis) {
  struct Case {
    int dpi;
    BarRect led, status, start;
  } cases[] = {
      {96, {305, 31, 323, 49}, {338, 29, 560, 51}, {11, 17, 47, 53}},
      {120, {381, 39, 404, 61}, {423, 36, 700, 64}, {14, 21, 59, 66}},
      {144, {458, 47, 485, 74}, {507, 44, 840, 77}, {17, 26, 71, 80}},
      {192, {610, 62, 646, 98}, {676, 58, 1120, 102}, {22, 34, 94, 106}},
  };
  for (const Case& c : cases) {
    BarRect place{};
    ASSERT_TRUE(BarControlPlaceAt96(IDC_LED, place));
    EXPECT_EQ(ScaleBarRect(place, c.dpi), c.led) << c.dpi;
    ASSERT_TRUE(BarControlPlaceAt96(IDC_STATUS, place));
    EXPECT_EQ(ScaleBarRect(place, c.dpi), c.status) << c.dpi;
    ASSERT_TRUE(BarControlPlaceAt96(IDC_START, place));
    EXPECT_EQ(ScaleBarRect(place, c.dpi), c.start) << c.dpi;
  }
}

}  // namespace
