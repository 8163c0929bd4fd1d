#include "bar/bar_rules.h"

#include <gtest/gtest.h>

#include "engine/run_event.h"

namespace {

// The bar is 611 x 69 pixels.
const BarRect kBarAtTop{207, 0, 818, 69};

TEST(BarPlacement, CentresEachHalfRoundedDown) {
  EXPECT_EQ(207, CentredBarLeft(1024, 611));  // 512 - 305
  EXPECT_EQ(377, CentredBarLeft(1365, 611));  // 682 - 305
  EXPECT_EQ(655, CentredBarLeft(1920, 610));
  EXPECT_EQ(-1, CentredBarLeft(609, 611)) << "a screen narrower than the bar";
}

TEST(BarPlacement, CloseButtonSitsFourPixelsInFromTheTopRight) {
  const BarRect place = CloseButtonPlace({0, 0, 611, 69}, 23, 17);
  EXPECT_EQ(584, place.left);
  EXPECT_EQ(4, place.top);
  EXPECT_EQ(23, place.Width());
  EXPECT_EQ(17, place.Height());
}

TEST(BarSlide, HidingLeavesTwoPixelsInTenStepsThenTheTarget) {
  // Target -67; step -67 / 10 = -6 (toward zero), so the last step jumps 7 pixels.
  EXPECT_EQ((std::vector<int32_t>{-6, -12, -18, -24, -30, -36, -42, -48, -54, -60, -67}),
            PlanSlide(kBarAtTop, true, 1, false));
  // Back down from there: step 67 / 10 = 6.
  EXPECT_EQ((std::vector<int32_t>{-61, -55, -49, -43, -37, -31, -25, -19, -13, -7, 0}),
            PlanSlide({207, -67, 818, 2}, false, 1, false));
}

TEST(BarSlide, DraggedBarHidesFromWhereverItIs) {
  const std::vector<int32_t> tops = PlanSlide({10, 300, 621, 369}, true, 1, false);
  ASSERT_EQ(11u, tops.size());
  EXPECT_EQ(264, tops[0]);  // step (-67 - 300) / 10 = -36
  EXPECT_EQ(-60, tops[9]);
  EXPECT_EQ(-67, tops[10]);
  // A bar that is already nearly hidden moves in steps of zero and then jumps.
  EXPECT_EQ((std::vector<int32_t>{-62, -62, -62, -62, -62, -62, -62, -62, -62, -62, -67}),
            PlanSlide({207, -62, 818, 7}, true, 1, false));
}

TEST(BarSlide, StaysPutWhenSlidingIsOffOrDuringTheCopy) {
  EXPECT_TRUE(PlanSlide(kBarAtTop, true, 0, false).empty());
  EXPECT_TRUE(PlanSlide({207, -67, 818, 2}, false, 0, false).empty());
  EXPECT_TRUE(PlanSlide(kBarAtTop, true, 1, true).empty()) << "no hiding during the copy";
  EXPECT_EQ(11u, PlanSlide({207, -67, 818, 2}, false, 1, true).size()) << "showing is allowed";
  EXPECT_EQ(11u, PlanSlide(kBarAtTop, true, 2, false).size()) << "any non-zero value switches it on";
}

TEST(BarAutoHide, HidesWhenTheCursorLeavesTheVisibleBarDuringARun) {
  EXPECT_TRUE(ShouldHideBar(100, 300, kBarAtTop, true));
  EXPECT_FALSE(ShouldHideBar(100, 300, kBarAtTop, false)) << "idle";
  EXPECT_FALSE(ShouldHideBar(207, 0, kBarAtTop, true)) << "on the top left pixel";
  EXPECT_FALSE(ShouldHideBar(817, 68, kBarAtTop, true)) << "on the bottom right pixel";
  EXPECT_TRUE(ShouldHideBar(818, 10, kBarAtTop, true)) << "right edge is outside";
  EXPECT_TRUE(ShouldHideBar(300, 69, kBarAtTop, true)) << "bottom edge is outside";
  EXPECT_TRUE(ShouldHideBar(100, 300, {207, -4, 818, 65}, true)) << "-4 still counts as visible";
  EXPECT_FALSE(ShouldHideBar(100, 300, {207, -5, 818, 64}, true)) << "already on its way up";
}

TEST(BarAutoHide, ShowsOnMouseMoveOnlyWhenHiddenDuringARun) {
  EXPECT_TRUE(ShouldShowBar({207, -67, 818, 2}, true));
  EXPECT_TRUE(ShouldShowBar({207, -11, 818, 58}, true));
  EXPECT_FALSE(ShouldShowBar({207, -10, 818, 59}, true));
  EXPECT_FALSE(ShouldShowBar({207, -67, 818, 2}, false)) << "idle: the run's end shows it";
}

TEST(BarExit, RefusedOnlyOnceTheRunHasReportedProgress) {
  EXPECT_FALSE(MayExit(RUN_PROGRESS));
  for (int32_t state : {1, 3, 4, 10, 0}) EXPECT_TRUE(MayExit(state)) << state;
  EXPECT_EQ(std::wstring(L"节目录制中，请先停止录制再退出！"), kExitRefusedText);
}

TEST(BarKeys, F7PausesF8StartsOrStopsAndF9TogglesTheCamera) {
  EXPECT_EQ(CapturedKeyAction::kPauseOrResume, ActionForCapturedKey(0x76));
  EXPECT_EQ(CapturedKeyAction::kStartOrStop, ActionForCapturedKey(0x77));
  EXPECT_EQ(CapturedKeyAction::kToggleCamera, ActionForCapturedKey(0x78));
  for (uintptr_t key : {0x75u, 0x79u, 0x0Du, 0x1Bu}) EXPECT_EQ(CapturedKeyAction::kNone, ActionForCapturedKey(key));
}

TEST(BarAreaMode, PressesAlternateBetweenAreaAndFullScreen) {
  const AreaModeStep choose = AreaModeAfterPress(false);
  EXPECT_TRUE(choose.show_overlay);
  EXPECT_EQ(L"就绪 - 区域模式", choose.status);
  const AreaModeStep clear = AreaModeAfterPress(true);
  EXPECT_FALSE(clear.show_overlay);
  EXPECT_EQ(L"就绪 - 全屏模式", clear.status);
  EXPECT_EQ(std::wstring(kFullScreenReadyText), clear.status);
}

}  // namespace
