#include "engine/command_line.h"

#include <gtest/gtest.h>

#include "platform/command_args.h"
#include "platform/text_codepage.h"

namespace {

TEST(CaptureCommand, WorkedExampleIsByteExact) {
  EXPECT_EQ(
      "quorlind.exe -y -rtbufsize 100M -framerate 25 -f dshow -i video=\"screen-capture-recorder\":"
      "audio=\"virtual-audio-capturer\" -acodec aac -pix_fmt yuv420p -vcodec libx264 -r 25 -threads 0 "
      "-preset veryfast  -s 1920x1080  -b:v 2000k  -b:a 128k  -f mpegts  \"D:\\Rec\\20240305140709.ts\"",
      BuildCaptureCommand("D:\\Rec\\20240305140709.ts", "virtual-audio-capturer", 25, 1920, 1080, 2000, 128, 0));
}

TEST(CaptureCommand, OmitsWhatIsNotSet) {
  const std::string head =
      "quorlind.exe -y -rtbufsize 100M -framerate 25 -f dshow -i video=\"screen-capture-recorder\"";
  const std::string middle = " -pix_fmt yuv420p -vcodec libx264 -r 25 -threads 0 -preset veryfast ";
  struct Case {
    int32_t frame_rate, width, height, video_bitrate, audio_bitrate;
    const char* audio;
    std::string expected;
  } cases[] = {
      // A frame rate below 1 is 25 for both the capture and the output rate.
      {0, 0, 0, 0, 0, nullptr, head + middle + " -f mpegts  \"a.ts\""},
      {-5, 0, 0, 0, 0, nullptr, head + middle + " -f mpegts  \"a.ts\""},
      // A size needs both sides; no sound device means no audio codec and no audio bitrate.
      {25, 1920, 0, 0, 128, nullptr, head + middle + " -f mpegts  \"a.ts\""},
      {25, 0, 1080, 1500, 0, nullptr, head + middle + " -b:v 1500k  -f mpegts  \"a.ts\""},
      {25, 1280, 720, 0, 0, "Mic", head + ":audio=\"Mic\" -acodec aac" + middle + " -s 1280x720  -f mpegts  \"a.ts\""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, BuildCaptureCommand("a.ts", c.audio, c.frame_rate, c.width, c.height, c.video_bitrate,
                                              c.audio_bitrate, 0));
  }
  EXPECT_NE(std::string::npos, BuildCaptureCommand("a.ts", nullptr, 30, 0, 0, 0, 0, 0).find("-framerate 30 "));
  EXPECT_NE(std::string::npos, BuildCaptureCommand("a.ts", nullptr, 30, 0, 0, 0, 0, 0).find("-r 30 "));
}

TEST(OutputArguments, ContainerFollowsTheAddress) {
  const std::string keyframes = "-x264opts keyint=50:min-keyint=20";
  struct Case {
    const char* output;
    int32_t option;
    std::string expected;
  } cases[] = {
      {"udp://239.0.0.1:1234", 1, "-f mpegts " + keyframes + " \"udp://239.0.0.1:1234\""},
      {"udp://239.0.0.1:1234", 0, "-f mpegts  \"udp://239.0.0.1:1234\""},
      {"udp://239.0.0.1:1234", 2, "-f mpegts  \"udp://239.0.0.1:1234\""},  // only 1 switches it on
      {"rtmp://host/live/key", 1, "-f flv " + keyframes + " \"rtmp://host/live/key\""},
      {"rtmp://host/live/key", 0, "-f flv  \"rtmp://host/live/key\""},
      {"rtmp://host/a.ts/key", 0, "-f mpegts  \"rtmp://host/a.ts/key\""},  // ".ts" is tested first
      {"srt://host:9000", 1, "\"srt://host:9000\""},
      {"RTMP://host/live", 0, "\"RTMP://host/live\""},  // the tests are case-sensitive
      {"", 0, "\"\""},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, BuildOutputArguments(c.output, c.option)) << c.output;
}

TEST(RemuxCommand, CopiesBothStreams) {
  EXPECT_EQ("quorlind.exe -y -i \"D:\\Rec\\1.ts\" -c:v copy -c:a copy \"D:\\Rec\\1_rec.mp4\"",
            BuildRemuxCommand("D:\\Rec\\1.ts", "D:\\Rec\\1_rec.mp4"));
}

// A value with a double quote, or with backslashes where the encoder would read them as
// escapes, must reach the encoder as one argument and unchanged, never as extra options.
TEST(QuotedValues, NeverBreakOutOfTheirQuotes) {
  const std::string values[] = {
      "Mic\" -f null -i \"x",  // a quote that would end the argument
      "Mic\\",                 // a trailing backslash that would swallow the closing quote
      "a\\\\\"b",              // backslashes right before a quote
      "D:\\Rec\\\xB1\x5C.ts",  // a code page 936 character whose second byte is a backslash
      "\xC2\xBC\xCF\xF1\\",    // Chinese text and a real trailing backslash
  };
  for (const std::string& value : values) {
    const std::vector<std::string> remux = platform::SplitCommandLine(BuildRemuxCommand(value, "out.mp4"));
    ASSERT_EQ(9u, remux.size()) << value;
    EXPECT_EQ(value, remux[3]);
    EXPECT_EQ("out.mp4", remux.back());

    const std::vector<std::string> live = platform::SplitCommandLine(BuildOutputArguments("udp://" + value, 0));
    ASSERT_EQ(3u, live.size()) << value;
    EXPECT_EQ("udp://" + value, live[2]);

    const std::vector<std::string> capture =
        platform::SplitCommandLine(BuildCaptureCommand("a.ts", value.c_str(), 25, 0, 0, 0, 0, 0));
    ASSERT_EQ(25u, capture.size()) << value;
    EXPECT_EQ("video=screen-capture-recorder:audio=" + value, capture[9]);
  }
  // Plain values stay byte for byte as given, backslashes inside a path included.
  EXPECT_EQ("\"C:\\a b\\c.ts\"", QuotedValue("C:\\a b\\c.ts"));
  EXPECT_EQ("\"\xB1\x5C\"", QuotedValue("\xB1\x5C"));
}

// Lead bytes are those of the ANSI code page: 0x81 leads a character in 936 but is a letter of
// its own in 1252, where a backslash after it must still be doubled before the closing quote.
TEST(QuotedValues, FollowTheCodePagesLeadBytes) {
  EXPECT_EQ("\"\xB1\x5C\"", QuotedValue("\xB1\x5C"));
  EXPECT_EQ("\"a\\?\"", QuotedValue("a\\\xB1"));  // half a character at the end
#ifndef _WIN32
  platform::SetAnsiCodePage(1252);
  EXPECT_EQ("\"\xB1\x5C\x5C\"", QuotedValue("\xB1\x5C"));
  EXPECT_EQ((std::vector<std::string>{"quorlind.exe", "-y", "-i", "\xB1\\", "-c:v", "copy", "-c:a", "copy", "\xB1\"\""}),
            platform::SplitCommandLine(BuildRemuxCommand("\xB1\\", "\xB1\"\"")));
  platform::SetAnsiCodePage(936);
#endif
}

TEST(SplitCommandLine, FollowsTheRuntimeRules) {
  struct Case {
    const char* line;
    std::vector<std::string> expected;
  } cases[] = {
      {"a  b\tc", {"a", "b", "c"}},  {"x \"\" y", {"x", "", "y"}},
      {"\"a b\"c d", {"a bc", "d"}}, {"a\\b \\\\\"x y\"", {"a\\b", "\\x y"}},
      {"a\\\"b", {"a\"b"}},          {"trail\\\\", {"trail\\\\"}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, platform::SplitCommandLine(c.line)) << c.line;
}

}  // namespace
