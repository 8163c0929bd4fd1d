// The capture region's rules: the drag, its acceptance, the size label, the frame's zones
// and sizes, and the capture-area values.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>

#include "region/frame_rules.h"
#include "region/selection_rules.h"

void PrintTo(const AreaRect& r, std::ostream* os) {
  *os << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
}

namespace {

constexpr AreaRect kScreen{0, 0, 1280, 800};
// Two monitors: 1280 x 800 (primary) and 1024 x 768 to its left, so the virtual screen starts
// at a negative x.
constexpr AreaRect kTwoMonitors{-1024, 0, 1280, 800};

TEST(Selection, DragFollowsTheCursorWithinTheScreensLastColumnAndRow) {
  const AreaRect anchor{400, 300, 400, 300};
  const struct {
    const char* what;
    int32_t x, y;
    AreaRect kept;
    bool show;
  } cases[] = {
      {"inside the screen", 700, 500, {400, 300, 700, 500}, true},
      {"on the last column and row", 1279, 799, {400, 300, 1279, 799}, true},
      {"one past them", 1280, 800, {400, 300, 1279, 799}, true},
      {"far past the right edge only", 3000, 500, {400, 300, 1279, 500}, true},
      {"far past the bottom edge only", 700, 2000, {400, 300, 700, 799}, true},
      {"left of the anchor: kept as it is, nothing shown", 350, 500, {400, 300, 350, 500}, false},
      {"above the anchor: kept as it is, nothing shown", 700, 250, {400, 300, 700, 250}, false},
      {"on the anchor: nothing changed", 400, 300, {400, 300, 400, 300}, false},
  };
  for (const auto& c : cases) {
    const DragStep step = FollowCursor(anchor, c.x, c.y, kScreen);
    EXPECT_EQ(c.kept, step.selection) << c.what;
    EXPECT_EQ(c.show, step.show) << c.what;
  }
  // Moving further past the clamped corner changes nothing, so nothing is redrawn or sent.
  const AreaRect clamped{400, 300, 1279, 799};
  EXPECT_FALSE(FollowCursor(clamped, 1500, 900, kScreen).show);
  EXPECT_EQ(clamped, FollowCursor(clamped, 1500, 900, kScreen).selection);
}

struct ReleaseCase {
  const char* what;
  AreaRect dragged;
  std::optional<AreaRect> accepted;
};

TEST(Selection, ReleaseGrowsRejectsOrEvensTheDrag) {
  const ReleaseCase cases[] = {
      {"a click without movement grows to 128 x 128, not more: rejected", {400, 300, 400, 300}, std::nullopt},
      {"50 x 300 grows to 178 x 300", {400, 300, 450, 600}, AreaRect{400, 300, 578, 600}},
      {"exactly 128 wide is rejected", {400, 300, 528, 600}, std::nullopt},
      {"exactly 128 high is rejected", {400, 300, 700, 428}, std::nullopt},
      {"129 x 129 is accepted as 128 x 128", {400, 300, 529, 429}, AreaRect{400, 300, 528, 428}},
      {"301 x 201 is accepted as 300 x 200", {152, 122, 453, 323}, AreaRect{152, 122, 452, 322}},
      {"narrow near the right edge grows to the left", {1200, 300, 1260, 600}, AreaRect{1072, 300, 1260, 600}},
      {"short near the bottom grows upwards", {400, 700, 700, 750}, AreaRect{400, 572, 700, 750}},
      {"released left of the anchor", {600, 300, 500, 600}, std::nullopt},
      {"released above the anchor", {400, 500, 800, 300}, std::nullopt},
      {"released far up and left near the far edges", {1270, 790, 10, 10}, std::nullopt},
  };
  for (const ReleaseCase& c : cases) {
    const std::optional<AreaRect> got = AcceptSelection(c.dragged, kScreen);
    EXPECT_EQ(c.accepted, got) << c.what;
  }
}

TEST(Selection, WorksOnEveryMonitorOfTheVirtualScreen) {
  const ReleaseCase cases[] = {
      {"301 x 201 on the left monitor keeps its negative corner",
       {-900, 100, -599, 301},
       AreaRect{-900, 100, -600, 300}},
      {"odd sizes at a negative corner lose their last pixel", {-1001, 11, -700, 212}, AreaRect{-1001, 11, -701, 211}},
      {"narrow across the monitors' border grows to the right", {-60, 300, 0, 600}, AreaRect{-60, 300, 128, 600}},
      {"narrow near the virtual screen's right edge grows to the left",
       {1200, 300, 1260, 600},
       AreaRect{1072, 300, 1260, 600}},
  };
  for (const ReleaseCase& c : cases) EXPECT_EQ(c.accepted, AcceptSelection(c.dragged, kTwoMonitors)) << c.what;

  // The cursor is followed past the primary monitor and stopped only at the virtual screen's
  // last column and row.
  const AreaRect anchor{-900, 100, -900, 100};
  EXPECT_EQ((AreaRect{-900, 100, -500, 400}), FollowCursor(anchor, -500, 400, kTwoMonitors).selection);
  EXPECT_EQ((AreaRect{-900, 100, 1279, 799}), FollowCursor(anchor, 3000, 2000, kTwoMonitors).selection);
  EXPECT_FALSE(FollowCursor(anchor, -950, 400, kTwoMonitors).show) << "left of the anchor";
}

TEST(SizeLabel, TextAndPlace) {
  // Before the press the selection is the cursor's pixel: the hint.
  EXPECT_EQ(L"请按下左键拖动鼠标", SizeLabelText({500, 400, 501, 401}));
  EXPECT_EQ(L"请按下左键拖动鼠标", SizeLabelText({500, 400, 504, 404}));
  EXPECT_EQ(L"录制区域（5x1）", SizeLabelText({500, 400, 505, 401}));
  EXPECT_EQ(L"录制区域（301x201）", SizeLabelText({152, 122, 453, 323}));

  // Above the selection, 10 pixels in; the box 4 pixels around the text.
  LabelPlace place = PlaceSizeLabel({152, 122, 453, 323}, 160, 16);
  EXPECT_EQ(162, place.text_x);
  EXPECT_EQ(101, place.text_y);  // 122 - 16 - 5
  EXPECT_EQ((AreaRect{158, 97, 326, 121}), place.box);

  // Too near the top of the screen for that: below the selection.
  place = PlaceSizeLabel({500, 20, 501, 21}, 100, 16);
  EXPECT_EQ(26, place.text_y);  // 21 + 5
  EXPECT_EQ(0, PlaceSizeLabel({500, 21, 501, 22}, 100, 16).text_y) << "exactly the label's height + 5 fits above";
}

TEST(Frame, ZonesOfTheBand) {
  // A 300 x 200 frame with the usual metrics: h = 2 * 3, v = 3.
  const AreaRect client{0, 0, 300, 200};
  struct Case {
    int32_t x, y;
    FrameZone zone;
  } const cases[] = {
      {150, 0, FrameZone::kMove},     {7, 2, FrameZone::kMove},       {293, 3, FrameZone::kMove},
      {6, 0, FrameZone::kMove},       {5, 0, FrameZone::kTopLeft},    {2, 6, FrameZone::kTopLeft},
      {2, 7, FrameZone::kLeft},       {2, 193, FrameZone::kLeft},     {2, 194, FrameZone::kBottomLeft},
      {294, 0, FrameZone::kTopRight}, {297, 100, FrameZone::kRight},  {297, 199, FrameZone::kBottomRight},
      {150, 197, FrameZone::kBottom}, {150, 194, FrameZone::kBottom}, {150, 193, FrameZone::kNone},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.zone, FrameZoneAt(c.x, c.y, client, 6, 3)) << c.x << "," << c.y;
  }
}

TEST(Frame, EvenSizeInsideAndCaptureValues) {
  // A 301-high frame loses its bottom row; a 301-wide one its right column.
  EXPECT_EQ((AreaRect{100, 50, 300, 350}), EvenFrameRect({100, 50, 300, 351}));
  EXPECT_EQ((AreaRect{100, 50, 400, 350}), EvenFrameRect({100, 50, 401, 351}));

  EXPECT_EQ((AreaRect{104, 54, 296, 246}), FrameInside({100, 50, 300, 250}));

  const CaptureAreaValues values = CaptureValuesFor(FrameInside({100, 50, 300, 250}));
  EXPECT_EQ(104, values.start_x);
  EXPECT_EQ(54, values.start_y);
  EXPECT_EQ(192, values.capture_width);
  EXPECT_EQ(192, values.capture_height);

  const CaptureAreaValues odd = CaptureValuesFor({10, 10, 311, 211});
  EXPECT_EQ(300, odd.capture_width);
  EXPECT_EQ(200, odd.capture_height);

  // Partly past the left edge: the position stays negative.
  EXPECT_EQ(-36, CaptureValuesFor(FrameInside({-40, 50, 260, 250})).start_x);
  EXPECT_EQ(-4, EvenSize(-3)) << "odd sizes always lose a pixel";
}

}  // namespace
