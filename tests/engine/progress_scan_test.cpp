#include "engine/progress_scan.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ProgressScan, FindsTheLastCompleteTime) {
  struct Case {
    std::string chunk;
    const char* expected;  // nullptr: no report
  } cases[] = {
      {"frame=  25 fps= 25 q=28.0 size=     256kB time=00:00:10.00 bitrate= 209.7kbits/s", "00:00:10.00"},
      {"time=00:00:10.00 xy", "00:00:10.00"},  // 19 characters from "time=": enough
      {"time=00:00:10.00 x", nullptr},         // 18: too short, though the time is complete
      {"size=0kB time=N/A bitrate=N/A speed=N/A   ", nullptr},
      {"time=00:00:01.00 a\rtime=00:00:02.00 b", "00:00:01.00"},  // the second line is cut short
      // A copy run's first and last progress lines in one chunk: the last counts.
      {"frame=    1 size=0kB time=00:00:00.00 bitrate=N/A\rframe=  150 size=512kB time=00:00:06.04 bitrate=694.3k",
       "00:00:06.04"},
      {"time=00:00:0 1.00 bitrate", nullptr},          // blank within the first 11 characters
      {"time=00:00:10.0000000000", nullptr},           // no blank after the time
      {"time=123:45:67.89 bitrate=1", "123:45:67.8"},  // 11 characters, whatever they are
      {"no progress here at all, just text", nullptr},
      {"frame=1 time=00:01:23.45 bitrate=", "00:01:23.45"},
  };
  for (const Case& c : cases) {
    char time[kProgressTimeLength + 1] = "unchanged";
    const bool found = FindProgressTime(c.chunk.c_str(), time);
    EXPECT_EQ(c.expected != nullptr, found) << c.chunk;
    if (c.expected != nullptr && found) {
      EXPECT_STREQ(c.expected, time);
    }
  }
}

TEST(OutputChunkBuffer, GrowsToTheLargestChunkPlusOneAndNeverShrinks) {
  OutputChunkBuffer buffer;
  EXPECT_EQ(1024u, buffer.capacity());
  buffer.PrepareFor(1023);
  EXPECT_EQ(1024u, buffer.capacity());
  buffer.PrepareFor(1024);
  EXPECT_EQ(1025u, buffer.capacity());
  char* data = buffer.PrepareFor(5000);
  EXPECT_EQ(5001u, buffer.capacity());
  EXPECT_EQ(std::string(5001, '\0'), std::string(data, 5001));  // cleared whole
  buffer.PrepareFor(10);
  EXPECT_EQ(5001u, buffer.capacity());
}

}  // namespace
