// The devices' portable rules: which area is captured and at what frame size, colour
// conversion, pacing, sound conversion, test picture.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "capture_devices/rules/capture_area.h"
#include "capture_devices/rules/dpi_awareness.h"
#include "capture_devices/rules/loopback_stand_in.h"
#include "capture_devices/rules/frame_schedule.h"
#include "capture_devices/rules/i420.h"
#include "capture_devices/rules/pcm.h"
#include "capture_devices/rules/recorded_time.h"
#include "capture_devices/rules/test_pattern.h"

using namespace capture;

namespace {
uint32_t Bits(int32_t v) { return static_cast<uint32_t>(v); }
}  // namespace

TEST(CaptureArea, ChosenFromTheRegistryValuesOrTheScreen) {
  struct Case {
    const char* what;
    AreaValues values;
    CaptureRect expected;
  } cases[] = {
      {"no values: the screen", {}, {0, 0, 1280, 800}},
      {"all four", {104, 54, 192, 192}, {104, 54, 192, 192}},
      {"odd sizes round down", {10, 10, 301, 201}, {10, 10, 300, 200}},
      {"left of the screen", {Bits(-36), Bits(-4), 100, 100}, {-36, -4, 100, 100}},
      {"three of four: the screen", {104, 54, 192, std::nullopt}, {0, 0, 1280, 800}},
      {"zero width: the screen", {104, 54, 0, 192}, {0, 0, 1280, 800}},
      {"negative height: the screen", {104, 54, 192, Bits(-2)}, {0, 0, 1280, 800}},
      {"absurd sizes are cut", {0, 0, 100000, 3}, {0, 0, kMaxAreaSide, 2}},
      {"one pixel becomes two", {5, 5, 1, 1}, {5, 5, 2, 2}},
      {"on a second monitor right of the primary", {1284, 4, 292, 192}, {1284, 4, 292, 192}},
      {"an 8K area is whole", {0, 0, 7680, 4320}, {0, 0, 7680, 4320}},
  };
  for (const Case& c : cases) EXPECT_EQ(ChooseCaptureRect(c.values, 1280, 800), c.expected) << c.what;
  EXPECT_EQ(ChooseCaptureRect({}, 1367, 769), (CaptureRect{0, 0, 1366, 768})) << "odd screen";
  EXPECT_EQ(ChooseCaptureRect({}, 7680, 4320), (CaptureRect{0, 0, 7680, 4320})) << "an 8K screen";
}

// A large area is recorded whole: at its own size where the frame fits, else scaled down in its
// proportions, never cut.
TEST(CaptureArea, FrameSizeShowsTheWholeAreaScaledDownWhereTooLarge) {
  struct Case {
    const char* what;
    CaptureRect area;
    FrameSize i420, rgb32;
  } cases[] = {
      {"full HD", {0, 0, 1920, 1080}, {1920, 1080}, {1920, 1080}},
      {"4K fits both", {0, 0, 3840, 2160}, {3840, 2160}, {3840, 2160}},
      {"a 3840x2400 laptop", {0, 0, 3840, 2400}, {3840, 2400}, {3662, 2288}},
      {"5K", {0, 0, 5120, 2880}, {5120, 2880}, {3860, 2172}},
      {"two 4K monitors side by side", {-3840, 0, 7680, 2160}, {7680, 2160}, {5460, 1536}},
      {"8K", {0, 0, 7680, 4320}, {6306, 3546}, {3860, 2172}},
      {"wider than a frame may be", {0, 0, 20000, 100}, {8192, 40}, {8192, 40}},
      {"a sliver", {0, 0, kMaxAreaSide, 2}, {8192, 2}, {8192, 2}},
  };
  for (const Case& c : cases) {
    const FrameSize i420 = FitFrameSize(c.area, 12), rgb32 = FitFrameSize(c.area, 32);
    EXPECT_EQ(i420, c.i420) << c.what << ": " << i420.width << "x" << i420.height;
    EXPECT_EQ(rgb32, c.rgb32) << c.what << ": " << rgb32.width << "x" << rgb32.height;
    for (const FrameSize& f : {i420, rgb32}) {
      EXPECT_LE(f.width, kMaxCaptureSide) << c.what;
      EXPECT_EQ(f.width % 2 + f.height % 2, 0) << c.what;
      // The proportions stay within the rounding of each side to an even number.
      if (f.height > 2) {
        const double aspect = double(c.area.width) / c.area.height;
        EXPECT_NEAR(double(f.width) / f.height, aspect, aspect * (2.0 / f.width + 2.0 / f.height)) << c.what;
      }
    }
    EXPECT_LE(I420Bytes(i420.width, i420.height), kMaxFrameBytes) << c.what;
    EXPECT_LE(int64_t{rgb32.width} * rgb32.height * 4, kMaxFrameBytes) << c.what;
  }
}

namespace {

// A picture of `width` x `height` BGRX pixels (rows padded by `pad` pixels) of varied colours.
std::vector<uint8_t> Picture(int32_t width, int32_t height, int32_t pad, uint32_t seed) {
  std::vector<uint8_t> bgrx(size_t(width + pad) * height * 4);
  for (uint8_t& byte : bgrx) {
    seed = seed * 1664525u + 1013904223u;
    byte = static_cast<uint8_t>(seed >> 24);
  }
  return bgrx;
}

std::vector<uint8_t> Convert(const std::vector<uint8_t>& bgrx, int32_t width, int32_t height, int32_t pad, bool plain) {
  std::vector<uint8_t> out(size_t(I420Bytes(width, height)), 0xEE);
  const I420Planes planes = DenseI420Planes(out.data(), width, height);
  const ptrdiff_t stride = ptrdiff_t{width + pad} * 4;
  if (plain)
    ConvertBgrxToI420Plain(bgrx.data(), stride, width, height, planes);
  else
    ConvertBgrxToI420(bgrx.data(), stride, width, height, planes);
  return out;
}

}  // namespace

TEST(I420, KnownColoursInVideoRange) {
  struct Case {
    uint8_t b, g, r, y, u, v;
  } cases[] = {{0, 0, 0, 16, 128, 128},  {255, 255, 255, 235, 128, 128}, {0, 0, 255, 82, 90, 240},
               {0, 255, 0, 144, 54, 34}, {255, 0, 0, 41, 240, 110},      {128, 128, 128, 126, 128, 128}};
  for (const Case& c : cases) {
    // 18x4 of one colour: through the fast path's 8-pixel steps and its plain tail.
    std::vector<uint8_t> bgrx;
    for (int i = 0; i < 18 * 4; ++i) bgrx.insert(bgrx.end(), {c.b, c.g, c.r, 0x5A});
    const std::vector<uint8_t> out = Convert(bgrx, 18, 4, 0, false);
    for (int i = 0; i < 18 * 4; ++i) ASSERT_EQ(out[i], c.y) << int(c.r) << "," << int(c.g) << "," << int(c.b);
    for (int i = 0; i < 9 * 2; ++i) {
      ASSERT_EQ(out[18 * 4 + i], c.u) << int(c.r) << "," << int(c.g) << "," << int(c.b);
      ASSERT_EQ(out[18 * 4 + 18 + i], c.v) << int(c.r) << "," << int(c.g) << "," << int(c.b);
    }
  }
  // A chroma sample is the average of its four pixels: two black and two white make grey.
  const std::vector<uint8_t> checks = {0, 0, 0, 0, 255, 255, 255, 0, 255, 255, 255, 0, 0, 0, 0, 0};
  const std::vector<uint8_t> out = Convert(checks, 2, 2, 0, true);
  EXPECT_EQ(out, (std::vector<uint8_t>{16, 235, 235, 16, 128, 128}));
}

// The fast conversion equals the plain one to the bit, at every size the device may meet
// (odd widths and heights included, padded rows), and read from a bottom-up bitmap.
TEST(I420, FastConversionMatchesThePlainOneAtAnySize) {
  for (int32_t height : {1, 2, 3, 7, 16}) {
    for (int32_t width : {1, 2, 3, 7, 8, 9, 15, 16, 17, 31, 64, 66}) {
      for (int32_t pad : {0, 3}) {
        const std::vector<uint8_t> bgrx = Picture(width, height, pad, uint32_t(width * 131 + height * 7 + pad));
        ASSERT_EQ(Convert(bgrx, width, height, pad, false), Convert(bgrx, width, height, pad, true))
            << width << "x" << height << " pad " << pad;
      }
    }
  }
  const int32_t width = 34, height = 11;
  const std::vector<uint8_t> bgrx = Picture(width, height, 0, 99);
  std::vector<uint8_t> converted(size_t(I420Bytes(width, height)));
  const I420Planes planes = DenseI420Planes(converted.data(), width, height);
  // A bottom-up bitmap, as the device reads the screen: its last row is the picture's top.
  std::vector<uint8_t> bottom_up;
  for (int32_t row = height - 1; row >= 0; --row)
    bottom_up.insert(bottom_up.end(), bgrx.begin() + row * width * 4, bgrx.begin() + (row + 1) * width * 4);
  ConvertBgrxToI420(bottom_up.data() + (height - 1) * width * 4, -width * 4, width, height, planes);
  EXPECT_EQ(converted, Convert(bgrx, width, height, 0, true));
  // Black fills the planes with the video range's black.
  FillI420Black(planes, width, height);
  EXPECT_EQ(converted, Convert(std::vector<uint8_t>(size_t(width) * height * 4, 0), width, height, 0, true));
}

TEST(CaptureArea, VisiblePartOfAnAreaOffTheScreen) {
  const CaptureRect screen{0, 0, 1280, 800};
  EXPECT_EQ(VisiblePart({100, 100, 200, 200}, screen), (CaptureRect{0, 0, 200, 200}));
  EXPECT_EQ(VisiblePart({-36, -10, 100, 100}, screen), (CaptureRect{36, 10, 64, 90}));
  EXPECT_EQ(VisiblePart({1200, 700, 200, 200}, screen), (CaptureRect{0, 0, 80, 100}));
  EXPECT_EQ(VisiblePart({2000, 0, 100, 100}, screen).width, 0);
  EXPECT_EQ(VisiblePart({INT32_MAX - 10, INT32_MAX - 10, 8192, 8192}, screen).width, 0) << "no wrap-around";
  // Sides that differ: each is cut by its own screen side, never derived from the other.
  const CaptureRect full_hd{0, 0, 1920, 1080};
  EXPECT_EQ(VisiblePart({0, 0, 1280, 720}, full_hd), (CaptureRect{0, 0, 1280, 720})) << "wide, on the screen";
  EXPECT_EQ(VisiblePart({100, 200, 1920, 720}, full_hd), (CaptureRect{0, 0, 1820, 720})) << "wide, past the right";
  EXPECT_EQ(VisiblePart({1800, -100, 200, 600}, full_hd), (CaptureRect{0, 100, 120, 500})) << "tall, off two edges";
  EXPECT_EQ(VisiblePart({-50, 600, 400, 1000}, full_hd), (CaptureRect{50, 0, 350, 480})) << "tall, past the bottom";
}

// Windows 10 1607 has thread contexts but refuses per-monitor v2: the device must still be
// per-monitor there, not system-aware, or two monitors of different scales read wrongly.
TEST(DpiAwareness, TriesPerMonitorV2ThenPerMonitorThenSystem) {
  for (const auto& [refused, expected] : std::vector<std::pair<int, std::vector<DpiAwareness>>>{
           {0, {DpiAwareness::kPerMonitorV2}},
           {1, {DpiAwareness::kPerMonitorV2, DpiAwareness::kPerMonitor}},
           {3, {DpiAwareness::kPerMonitorV2, DpiAwareness::kPerMonitor, DpiAwareness::kSystem}}}) {
    std::vector<DpiAwareness> asked;
    const int previous = SetBestDpiAwareness([&](DpiAwareness a) {
      asked.push_back(a);
      return static_cast<int>(asked.size()) > refused ? 7 : 0;  // 7: the context it had
    });
    EXPECT_EQ(asked, expected) << refused << " refused";
    EXPECT_EQ(previous, refused < 3 ? 7 : 0) << refused << " refused";
  }
}

// A headset's microphone has the output's own name on Windows: it may stand in for the
// loopback only where the system refuses loopback itself, never after a passing failure.
TEST(LoopbackStandIn, OnlyAMonitorUnlessTheSystemRefusesLoopback) {
  const std::wstring headset = L"耳机 (Hands-Free AG Audio)";
  EXPECT_EQ(LoopbackStandInNames(headset, false), std::vector<std::wstring>{L"Monitor of " + headset});
  EXPECT_EQ(LoopbackStandInNames(headset, true), (std::vector<std::wstring>{L"Monitor of " + headset, headset}));
  EXPECT_TRUE(LoopbackStandInNames(L"", true).empty());
}

// A machine that sleeps for an hour mid-recording: the sound must not make the 180,000
// chunks it owes back to back, but go on from now, the hour a gap in its time stamps. A
// hold-up of a second or less is still made up chunk by chunk, so no sound is lost.
TEST(FrameSchedule, SoundStartsAgainFromNowAfterTheClockJumps) {
  const int64_t chunk = 200000, second = 10000000, hour = 3600 * second;
  FrameSchedule s(chunk);
  int64_t now = 0;
  // The sound loop on a simulated clock: it waits for a chunk's due time, makes it in 0.1 ms.
  const auto chunks_made_until = [&](int64_t end) {
    int64_t made = 0;
    while (now < end) {
      if (now < s.DueTime()) {
        now = s.DueTime();
        continue;
      }
      s.RestartAfterClockJump(now, second);
      ++made;
      s.Advance();
      now += 1000;
    }
    return made;
  };
  EXPECT_EQ(chunks_made_until(second), 50);
  now += second;  // held up for exactly a second: every chunk is still made
  EXPECT_EQ(chunks_made_until(now + second), 100);
  EXPECT_EQ(s.NextIndex() * chunk, 3 * second);

  now += hour;
  EXPECT_EQ(chunks_made_until(now + second), 50);
  EXPECT_EQ(s.NextIndex() * chunk, 4 * second + hour) << "the hour is in the stamps";
}

TEST(FrameSchedule, SkipsOnlySlotsAWholeIntervalPast) {
  FrameSchedule s(400000);
  EXPECT_EQ(s.SkipLateSlots(399999), 0);  // late but within one interval: made now
  s.Advance();
  EXPECT_EQ(s.DueTime(), 400000);
  EXPECT_EQ(s.SkipLateSlots(400000 + 3 * 400000 + 5), 3);  // three frames lost, not queued
  EXPECT_EQ(s.NextIndex(), 4);

  // The boundary: exactly one interval late is a whole interval, so that slot is skipped.
  FrameSchedule edge(400000);
  EXPECT_EQ(edge.SkipLateSlots(400000), 1);
  EXPECT_EQ(edge.DueTime(), 400000);
  EXPECT_EQ(edge.SkipLateSlots(400000 + 2 * 400000), 2) << "exactly two intervals late";
  EXPECT_EQ(edge.SkipLateSlots(1200000 + 399999), 0) << "one tick short of an interval: made now";
}

// A 25-frame source paced by recorded time, on a simulated clock in 1-ms steps: 60 s with
// pauses from 10 to 15, 25 to 30 and 40 to 45 s. The stamps the encoder would see run on
// without a gap, 45 s of them, and each resume brings the next frame at once.
TEST(RecordedTime, PausesLeaveNoGapInThePacedFrames) {
  constexpr int64_t kMs = 10000;
  capture::RecordedTime recorded;
  capture::FrameSchedule schedule(40 * kMs);
  std::vector<int64_t> stamps;
  std::vector<int64_t> resumes;  // real time of the first frame after each resume
  bool was_paused = false;
  for (int64_t now = 0; now < 60000 * kMs; now += kMs) {
    const int64_t second = now / (1000 * kMs);
    const bool paused = second == 10 || second == 11 || second == 12 || second == 13 || second == 14 ||
                        (second >= 25 && second < 30) || (second >= 40 && second < 45);
    const int64_t time = recorded.At(now, paused);
    if (paused) {
      was_paused = true;
      continue;
    }
    if (time < schedule.DueTime()) continue;
    if (was_paused) resumes.push_back(now);
    was_paused = false;
    stamps.push_back(recorded.At(now, paused));
    schedule.Advance();
  }
  ASSERT_EQ(stamps.size(), 1125u);  // 45 s at 25 frames per second
  for (size_t i = 1; i < stamps.size(); ++i) ASSERT_EQ(stamps[i] - stamps[i - 1], 40 * kMs) << i;
  EXPECT_EQ(resumes, (std::vector<int64_t>{15000 * kMs, 30000 * kMs, 45000 * kMs}));
}

// Readers on two threads: a pause seen late, a resume seen late, a reader whose counter value
// is older than the last one answered. Time stands still while paused and never goes back.
TEST(RecordedTime, StandsStillWhilePausedAndNeverGoesBack) {
  capture::RecordedTime recorded;
  EXPECT_EQ(recorded.At(100, false), 100);
  EXPECT_EQ(recorded.At(90, false), 100);  // an older counter value
  EXPECT_EQ(recorded.At(200, true), 200);
  EXPECT_TRUE(recorded.paused());
  EXPECT_EQ(recorded.At(5000, true), 200);
  EXPECT_EQ(recorded.At(5200, false), 200);  // resumed: on from where it stopped
  EXPECT_EQ(recorded.At(5300, false), 300);
  EXPECT_EQ(recorded.At(5400, true), 400);
  EXPECT_EQ(recorded.At(5350, false), 400);  // a resume read on an older counter value
  EXPECT_EQ(recorded.At(5450, false), 450);
}

TEST(Pcm, ConverterResamplesToFortyEightKilohertzStereo) {
  // One second of a 441 Hz mono float tone at 44.1 kHz, pushed in uneven blocks.
  PcmConverter converter(44100, 1, false);
  std::vector<int16_t> mono(44100);
  for (size_t i = 0; i < mono.size(); ++i)
    mono[i] = static_cast<int16_t>(10000 * std::sin(2 * 3.141592653589793 * 441 * static_cast<double>(i) / 44100));
  for (size_t at = 0; at < mono.size(); at += 1000)
    converter.Push(mono.data() + at, std::min<size_t>(1000, mono.size() - at));
  EXPECT_NEAR(static_cast<double>(converter.Queued()), 48000, 2);

  std::vector<int16_t> out(2 * 48000);
  converter.Take(out.data(), 48000);
  int crossings = 0;
  for (size_t i = 1; i < 48000; ++i) {
    EXPECT_EQ(out[2 * i], out[2 * i + 1]) << "mono is doubled";
    if ((out[2 * (i - 1)] < 0) != (out[2 * i] < 0)) ++crossings;
  }
  EXPECT_NEAR(crossings, 2 * 441, 2) << "the tone keeps its pitch";
  // Nothing more was played: silence, and nothing counted as played.
  EXPECT_EQ(converter.Take(out.data(), 10), 0u);
  EXPECT_EQ(out[0], 0);
}

TEST(Pcm, FullScaleAndClippedFloatsSaturateInsteadOfWrapping) {
  // Clipped system mixes go past 1.0; a wrap to the other extreme would be a loud click.
  const struct {
    float in;
    int16_t out;
  } cases[] = {{1.0f, 32767},   {1.001f, 32767}, {2.0f, 32767}, {1e30f, 32767},
               {-1.0f, -32767}, {-2.0f, -32767}, {0.5f, 16384}, {std::nanf(""), 0}};
  PcmConverter converter(48000, 1, true);
  for (const auto& c : cases) {
    converter.Push(&c.in, 1);
    int16_t out[2];
    ASSERT_EQ(converter.Take(out, 1), 1u);
    EXPECT_EQ(out[0], c.out) << c.in;
    EXPECT_EQ(out[1], c.out) << c.in;
  }
  // 16-bit input at its extremes stays within a step of full scale, with no wrap either way.
  PcmConverter integers(48000, 2, false);
  const int16_t extremes[] = {32767, -32768};
  integers.Push(extremes, 1);
  int16_t out[2];
  integers.Take(out, 1);
  EXPECT_EQ(out[0], 32766);
  EXPECT_EQ(out[1], -32767);
}

TEST(Pcm, TheSampleBetweenTwoBlocksIsInterpolatedFromThePreviousBlocksEnd) {
  // 44.1 kHz stereo in blocks of 1000 frames: the first block gives output frames 0 to 1087
  // (input positions up to 998.7), and output frame 1088 lies at input position 999.6,
  // 0.6 of the way from the first block's last frame to the second block's first.
  constexpr size_t kBlock = 1000;
  std::vector<int16_t> rising(2 * kBlock), falling(2 * kBlock);
  for (size_t i = 0; i < kBlock; ++i) {
    const auto up = static_cast<int16_t>(20 * i + 20);       // 20 ... 20000
    const auto down = static_cast<int16_t>(10000 - 10 * i);  // 10000 ... 10
    rising[2 * i] = up;
    rising[2 * i + 1] = static_cast<int16_t>(-up);
    falling[2 * i] = down;
    falling[2 * i + 1] = static_cast<int16_t>(-down);
  }
  PcmConverter converter(44100, 2, false);
  converter.Push(rising.data(), kBlock);
  ASSERT_EQ(converter.Queued(), 1088u);
  converter.Push(falling.data(), kBlock);
  std::vector<int16_t> out(2 * 1090);
  converter.Take(out.data(), 1090);
  // 20000 + 0.6 * (10000 - 20000), scaled to 16 bits and back: 32767 / 32768 of it.
  EXPECT_NEAR(out[2 * 1088], 14000, 2) << "between 20000 and 10000";
  EXPECT_NEAR(out[2 * 1088 + 1], -14000, 2) << "each channel from its own last frame";
  EXPECT_NEAR(out[2 * 1087], 19993, 2) << "the first block's last output (position 998.68)";
  EXPECT_NEAR(out[2 * 1089], 9995, 2) << "the second block's first full output (position 0.52)";
}

TEST(Pcm, ConverterKeepsAtMostOneSecond) {
  PcmConverter converter(48000, 2, true);
  const std::vector<float> block(2 * 48000, 0.5f);
  for (int i = 0; i < 3; ++i) converter.Push(block.data(), 48000);
  EXPECT_EQ(converter.Queued(), 48000u);
}

TEST(TestPattern, BarsAndAChangingFrameNumber) {
  const int w = 640, h = 480;
  std::vector<uint32_t> a(w * h), b(w * h);
  DrawTestPattern(a.data(), w, h, 7);
  DrawTestPattern(b.data(), w, h, 8);
  for (size_t i = 0; i < kTestBarColours.size(); ++i)
    EXPECT_EQ(a[(h / 3) * w + static_cast<int>((i + 0.5) * w / kTestBarColours.size())], kTestBarColours[i]);
  // Only the band below the bars changes from frame to frame.
  EXPECT_TRUE(std::equal(a.begin(), a.begin() + (h * 2 / 3) * w, b.begin()));
  EXPECT_FALSE(std::equal(a.begin() + (h * 2 / 3) * w, a.end(), b.begin() + (h * 2 / 3) * w));

  // Bottom-up copies: the first row of the sample is the picture's last.
  std::vector<uint8_t> rgb32(w * h * 4), rgb24(RgbStride(w, 24) * h), yuy2(w * h * 2);
  ToRgb32BottomUp(a.data(), w, h, rgb32.data());
  EXPECT_EQ(rgb32[4 * (w * (h - 1) + 10) + 2], 0xFF) << "top-left is white";
  ToRgb24BottomUp(a.data(), w, h, rgb24.data());
  const uint8_t* top_right = &rgb24[RgbStride(w, 24) * (h - 1) + 3 * (w - 1)];
  EXPECT_EQ((top_right[0] << 16) | (top_right[1] << 8) | top_right[2], 0xFF0000) << "blue bar (stored B, G, R)";
  ToYuy2(a.data(), w, h, yuy2.data());
  EXPECT_EQ(yuy2[0], 235) << "white in limited range";
  // Coloured bars carry their colour in U and V (BT.601, limited range), in the order Y U Y V.
  const struct {
    const char* name;
    size_t bar;
    int y, u, v;
  } bars[] = {{"white", 0, 235, 128, 128}, {"red", 5, 82, 90, 240}, {"blue", 6, 41, 240, 110}};
  for (const auto& bar : bars) {
    const int x = static_cast<int>((bar.bar + 0.5) * w / kTestBarColours.size()) & ~1;
    const uint8_t* pair = &yuy2[2 * ((h / 3) * w + x)];
    EXPECT_EQ(pair[0], bar.y) << bar.name;
    EXPECT_EQ(pair[1], bar.u) << bar.name;
    EXPECT_EQ(pair[2], bar.y) << bar.name;
    EXPECT_EQ(pair[3], bar.v) << bar.name;
  }
}
