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

  std::ofstream(folder.path() / "vw1.cfg", std::ios::binary) << "short";
  EXPECT_FALSE(ReadCameraPosition(path));

  EXPECT_EQ(DefaultCameraPosition(1280, 318, 260), (Box{962, 30, 1280, 290}));
}
