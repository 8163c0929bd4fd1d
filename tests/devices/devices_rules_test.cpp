// The camera's size choice, the picture's place in its window, and the camera window's
// position file.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "devices/camera_position.h"
#include "devices/capture_size_rules.h"
#include "support/temp_folder.h"

using namespace devices;

TEST(CaptureSizeChoice, PrefersExactHdSizesThenTheLastWideOne) {
  struct Case {
    std::vector<CaptureSize> sizes;
    CaptureSize expected;
  } cases[] = {
      {{{640, 480}, {1280, 720}, {1920, 1080}}, {1280, 720}},
      {{{1024, 768}, {1600, 1200}}, {1600, 1200}},
      {{{1920, 1080}, {1280, 720}}, {1920, 1080}},
      {{{1600, 900}, {640, 480}}, {1600, 900}},
      {{{640, 480}, {1440, 720}}, {1440, 720}},  // exactly 720 high is high enough
      {{{1440, 720}, {720, 720}}, {1440, 720}},  // a square is not wide
      {{{640, 480}}, {7, 7}},                    // nothing qualifies: the current choice stays
      {{}, {7, 7}},
  };
  for (const Case& c : cases) EXPECT_EQ(ChooseCaptureSize(c.sizes, {7, 7}), c.expected);
}

TEST(PictureFit, CentredAndProportional) {
  EXPECT_EQ(FitPicture(400, 300, 1280, 720), (Box{0, 37, 400, 262}));
  EXPECT_EQ(FitPicture(400, 200, 640, 480), (Box{67, 0, 333, 200}));
  EXPECT_EQ(FitPicture(3840, 2160, 3840, 2160), (Box{0, 0, 3840, 2160})) << "large sizes do not overflow";
}

TEST(CameraPositionFile, RoundTripsEveryByteAndRejectsTinyWindows) {
  TempFolder folder;
  const std::wstring path = folder.File("vw1.cfg");
  EXPECT_FALSE(ReadCameraPosition(path)) << "no file";

  // top 10 holds a 0x0A byte, stored as 0x0D 0x0A; left 26 a 0x1A byte, which is data.
  const Box placed{26, 10, 26 + 318, 10 + 260};
  ASSERT_TRUE(WriteCameraPosition(path, placed));
  std::ifstream in(folder.path() / "vw1.cfg", std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(bytes.size(), 17u);
  EXPECT_EQ(bytes[4], '\r');
  EXPECT_EQ(bytes[5], '\n');
  EXPECT_EQ(ReadCameraPosition(path), placed);

  ASSERT_TRUE(WriteCameraPosition(path, {100, 100, 132, 300}));  // 32 wide: not a usable window
  EXPECT_FALSE(ReadCameraPosition(path));
  ASSERT_TRUE(WriteCameraPosition(path, {100, 100, 133, 133}));
  EXPECT_EQ(ReadCameraPosition(path), (Box{100, 100, 133, 133}));

  // Left of and above the primary monitor (every byte of a negative number), and across x = 0.
  for (const Box& box : {Box{-1180, -300, -862, -40}, Box{-159, 200, 159, 460}}) {
    ASSERT_TRUE(WriteCameraPosition(path, box));
    EXPECT_EQ(ReadCameraPosition(path), box);
  }

  std::ofstream(folder.path() / "vw1.cfg", std::ios::binary) << "short";
  EXPECT_FALSE(ReadCameraPosition(path));

  EXPECT_EQ(DefaultCameraPosition(1280, 318, 260), (Box{962, 30, 1280, 290}));
}

TEST(CameraPlacement, KeepsAPlaceThatCanStillBeGrabbedOnSomeMonitor) {
  const std::vector<Box> monitors = {{0, 0, 1920, 1080}, {-1280, -200, 0, 824}};
  EXPECT_TRUE(LiesOnAMonitor({-1180, -300, -862, -40}, monitors)) << "partly above the left monitor";
  EXPECT_TRUE(LiesOnAMonitor({-159, 200, 159, 460}, monitors)) << "across both";
  EXPECT_TRUE(LiesOnAMonitor({1760, 900, 2078, 1160}, monitors)) << "half off the bottom right";
  EXPECT_FALSE(LiesOnAMonitor({2000, 100, 2318, 360}, monitors)) << "where an undocked monitor was";
  EXPECT_FALSE(LiesOnAMonitor({-1400, 900, -1082, 1160}, monitors)) << "below the left monitor";
  // Only a sliver showing cannot be grabbed: 20 pixels wide on screen.
  EXPECT_FALSE(LiesOnAMonitor({1900, 100, 2218, 360}, monitors));
  EXPECT_TRUE(LiesOnAMonitor({1888, 1048, 2206, 1308}, monitors)) << "a 32 x 32 corner is enough";
  EXPECT_FALSE(LiesOnAMonitor({100, 100, 418, 360}, {})) << "no monitor known";
}
