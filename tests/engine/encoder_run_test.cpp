#include "engine/encoder_run.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "../support/temp_folder.h"
#include "engine/command_line.h"
#include "fake_encoder_path.h"
#include "platform/text_codepage.h"
#include "report_collector.h"
#include "resource_counts.h"

namespace {

using Clock = std::chrono::steady_clock;

// "创建进程失败" in code page 936.
const std::string kProcessFailed = "\xB4\xB4\xBD\xA8\xBD\xF8\xB3\xCC\xCA\xA7\xB0\xDC";

std::vector<int32_t> Kinds(const std::vector<ReceivedReport>& reports) {
  std::vector<int32_t> kinds;
  for (const ReceivedReport& report : reports) kinds.push_back(report.kind);
  return kinds;
}

std::vector<std::string> ProgressTimes(const std::vector<ReceivedReport>& reports) {
  std::vector<std::string> times;
  for (const ReceivedReport& report : reports) {
    if (report.kind == RUN_PROGRESS && !report.text.empty()) times.push_back(report.text);
  }
  return times;
}

std::string ReadFile(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs `command` on the launcher's own thread, as the control bar starts it, and returns
// every report up to and including the final one.
std::vector<ReceivedReport> RunToEnd(const std::string& command, unsigned message = kWmEncoderEvent) {
  ReportCollector collector;
  EncoderRun run;
  run.command_line = command;
  collector.Attach(&run, message);
  EXPECT_TRUE(StartEncoderRun(&run));
  std::vector<ReceivedReport> reports = collector.WaitForFinal(20000, 300);
  for (const ReceivedReport& report : reports) {
    EXPECT_EQ(message, report.message);
    EXPECT_EQ(&run, report.run);
  }
  return reports;
}

TEST(EncoderRun, ReportsEachProgressTimeInOrder) {
  const auto reports = RunToEnd(
      FakeEncoderCommand("--every 200 --say \"frame=  25 fps=0.0 size=  256kB time=00:00:01.00 bitrate= 100kbits/s\\r\""
                         " --say \"frame=  50 fps=25 size=  512kB time=00:00:02.00 bitrate= 100kbits/s\\r\""));
  EXPECT_EQ((std::vector<int32_t>{RUN_STARTING, RUN_PROGRESS, RUN_PROGRESS, RUN_PROGRESS, RUN_EXITED}), Kinds(reports));
  EXPECT_EQ((std::vector<std::string>{"00:00:01.00", "00:00:02.00"}), ProgressTimes(reports));
  ASSERT_GE(reports.size(), 2u);
  EXPECT_EQ("", reports[1].text);  // the reader's start
  EXPECT_EQ(0.0, reports.back().value);
}

// Each poll's chunk is scanned once for its last complete time.
TEST(EncoderRun, ScansEachChunkByTheProgressRules) {
  const auto reports =
      RunToEnd(FakeEncoderCommand("--every 250 --stderr"
                                  " --say \"size=N/A time=N/A bitrate=N/A speed=N/A    \""
                                  " --say \"frame=1 time=00:00:03.00 x\""
                                  " --say \"time=00:00:04.00 a\\rtime=00:00:05.00 b\\r\""
                                  " --say \"time=00:00:06.00 bitrate=2\""));
  EXPECT_EQ((std::vector<std::string>{"00:00:05.00", "00:00:06.00"}), ProgressTimes(reports));
  EXPECT_EQ(RUN_EXITED, reports.back().kind);
}

// A chunk larger than the reader's first buffer is read whole: its last complete time counts,
// and a time is never taken from inside it.
TEST(EncoderRun, ReadsALargeChunkWhole) {
  const auto reports = RunToEnd(FakeEncoderCommand(
      "--pad 4980 --say \"time=00:00:07.00 bitrate=1 \" --say \"time=00:00:09.99 bitrate=2 \\n\" --every 0"
      " --repeat 1"));
  // The two texts are written one right after the other, so a poll may take both at once;
  // either way the last time reported is the last one written.
  const auto times = ProgressTimes(reports);
  ASSERT_FALSE(times.empty());
  EXPECT_EQ("00:00:09.99", times.back());
  for (const std::string& time : times) EXPECT_TRUE(time == "00:00:07.00" || time == "00:00:09.99") << time;
}

TEST(EncoderRun, EncoderExitingAtOnceGivesStartReaderStartAndExitCode) {
  const auto reports = RunToEnd(FakeEncoderCommand("--exit 1"));
  EXPECT_EQ((std::vector<int32_t>{RUN_STARTING, RUN_PROGRESS, RUN_EXITED}), Kinds(reports));
  ASSERT_EQ(3u, reports.size());
  EXPECT_EQ("", reports[1].text);
  EXPECT_EQ(1.0, reports[2].value);
}

#ifdef _WIN32
TEST(EncoderRun, ExitCodeIsReadAsUnsigned) {
  const auto reports = RunToEnd(FakeEncoderCommand("--exit -1"));
  ASSERT_FALSE(reports.empty());
  EXPECT_EQ(RUN_EXITED, reports.back().kind);
  EXPECT_EQ(4294967295.0, reports.back().value);
}
#endif

TEST(EncoderRun, MissingEncoderFailsWithoutProgress) {
  const auto reports = RunToEnd("quorlind_not_installed_here.exe -y -i \"a.ts\"", kWmRemuxEvent);
  EXPECT_EQ((std::vector<int32_t>{RUN_STARTING, RUN_FAILED}), Kinds(reports));
  ASSERT_EQ(2u, reports.size());
  EXPECT_EQ(kProcessFailed, reports[1].text);
  EXPECT_EQ(-1.0, reports[1].value);
}

TEST(EncoderRun, NothingIsPostedWithoutAMessageNumber) {
  TempFolder folder;
  const std::string args_file = platform::WideToAnsi(folder.File("args.txt"));
  ReportCollector collector;
  EncoderRun run;
  collector.Attach(&run, 0);
  run.command_line = FakeEncoderCommand("--say \"time=00:00:01.00 bitrate=1\" --args-file \"" + args_file + "\"");
  RunEncoder(&run);  // on this thread: returns when the run is over
  EXPECT_TRUE(collector.WaitForFinal(300).empty());
  EXPECT_NE(std::string::npos, ReadFile(folder.File("args.txt")).find("--args-file"));
}

// A report the receiver cannot take is released by the runner (the sanitizer builds check
// that nothing leaks), and the run goes on to its end.
TEST(EncoderRun, ReportsThatCannotBePostedAreReleased) {
  static int attempts = 0;
  attempts = 0;
  EncoderRun run;
  run.notify_message = kWmEncoderEvent;
  run.post_report = [](void*, unsigned, EncoderRun*, RunEvent*) {
    ++attempts;
    return false;
  };
  run.command_line = FakeEncoderCommand("--say \"time=00:00:01.00 bitrate=1\" --every 300");
  RunEncoder(&run);
  EXPECT_EQ(4, attempts);  // starting, reader start, one time, exited
  EXPECT_EQ(RUN_EXITED, run.event.kind);
}

// The program's own command lines reach the encoder byte for byte.
TEST(EncoderRun, CommandLineReachesTheEncoderUnchanged) {
  TempFolder folder;
  const std::string args_file = platform::WideToAnsi(folder.File("args.txt"));
  // Chinese text in the device name and the output path, in code page 936.
  const std::string capture = BuildCaptureCommand("D:\\\xC2\xBC\xCF\xF1\\20240305140709.ts",
                                                  "\xC2\xF3\xBF\xCB\xB7\xE7 (USB)", 25, 1920, 1080, 2000, 128, 0);
  const std::string command =
      FakeEncoderCommand("--args-file \"" + args_file + "\" " + capture.substr(capture.find(' ') + 1));
  const auto reports = RunToEnd(command);
  ASSERT_FALSE(reports.empty());
  EXPECT_EQ(RUN_EXITED, reports.back().kind);
#ifdef _WIN32
  EXPECT_EQ(command + "\n", ReadFile(folder.File("args.txt")));  // one line per run
#else
  // Natively the encoder gets an argument vector; the device list is one argument.
  EXPECT_NE(
      std::string::npos,
      ReadFile(folder.File("args.txt")).find(" video=screen-capture-recorder:audio=\xC2\xF3\xBF\xCB\xB7\xE7 (USB) "));
#endif
}

// A copy run that crashes, even after writing all its output, ends with a failing exit code
// although nobody asked it to stop: read as success, it would cost the recording.
TEST(EncoderRun, CopyRunCopiesTheRecordingAndACrashedOneFails) {
  TempFolder folder;
  std::ofstream(std::filesystem::path(folder.File("in.ts")), std::ios::binary) << std::string(70000, 'G');
  const std::string remux =
      BuildRemuxCommand(platform::WideToAnsi(folder.File("in.ts")), platform::WideToAnsi(folder.File("out.mp4")));
  const std::string arguments = remux.substr(remux.find(' ') + 1);
  const auto reports = RunToEnd(FakeEncoderCommand(arguments), kWmRemuxEvent);
  ASSERT_FALSE(reports.empty());
  EXPECT_EQ(RUN_EXITED, reports.back().kind);
  EXPECT_EQ(0.0, reports.back().value);
  EXPECT_EQ(std::string(70000, 'G'), ReadFile(folder.File("out.mp4")));

  const auto crashed = RunToEnd(FakeEncoderCommand("--crash " + arguments), kWmRemuxEvent);
  ASSERT_FALSE(crashed.empty());
  EXPECT_EQ(RUN_EXITED, crashed.back().kind);
#ifdef _WIN32
  EXPECT_EQ(3221225477.0, crashed.back().value);  // 0xC0000005, an access violation
#else
  EXPECT_EQ(128.0 + 9, crashed.back().value);  // SIGKILL
#endif
}

struct StopCase {
  const char* name;
  const char* quit_mode;            // the fake's answer to "q"
  bool stop_before_start;           // stop requested before the process exists
  double min_seconds, max_seconds;  // from the stop request to RUN_STOPPED
};

class EncoderRunStop : public ::testing::TestWithParam<StopCase> {};

// A stop asks the encoder to quit with "q" and terminates it only when it does not obey
// within the grace period; both end with RUN_STOPPED after every progress report.
TEST_P(EncoderRunStop, EndsWithStoppedAfterAllProgress) {
  const StopCase& c = GetParam();
  ReportCollector collector;
  EncoderRun run;
  collector.Attach(&run, kWmEncoderEvent);
  run.command_line = FakeEncoderCommand(std::string("--repeat 0 --every 100 --on-q ") + c.quit_mode +
                                        " --say \"frame=1 time=00:00:01.00 bitrate=1\\r\"");
  if (c.stop_before_start) RequestStop(&run);
  ASSERT_TRUE(StartEncoderRun(&run));
  if (!c.stop_before_start) {
    ASSERT_TRUE(collector.WaitForKind(RUN_PROGRESS, 10000));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  }
  const auto stop_time = Clock::now();
  RequestStop(&run);
  const auto reports = collector.WaitForFinal(20000, 300);
  const double seconds = std::chrono::duration<double>(Clock::now() - stop_time).count();
  ASSERT_FALSE(reports.empty());
  EXPECT_EQ(RUN_STOPPED, reports.back().kind);
  for (size_t i = 0; i + 1 < reports.size(); ++i) EXPECT_FALSE(IsFinalReport(reports[i].kind));
  EXPECT_GE(seconds, c.min_seconds);
  EXPECT_LE(seconds, c.max_seconds);
}

INSTANTIATE_TEST_SUITE_P(StopPaths, EncoderRunStop,
                         ::testing::Values(StopCase{"ObeysQuit", "obey", false, 0.0, 2.0},
                                           StopCase{"IgnoresQuitAndIsTerminated", "ignore", false, 3.0, 6.0},
                                           StopCase{"StopBeforeTheProcessExists", "obey", true, 0.0, 2.5},
                                           StopCase{"StopBeforeStartIgnored", "ignore", true, 0.0, 6.0}),
                         [](const ::testing::TestParamInfo<StopCase>& info) { return std::string(info.param.name); });

// One run started and stopped at a moment chosen by `i`: before the process exists, right
// after the start, after RUN_STARTING, or while the encoder writes progress. Returns how
// many final reports came, and checks that the last report is RUN_STOPPED.
int StartAndStop(int i) {
  ReportCollector collector;
  EncoderRun run;
  collector.Attach(&run, kWmEncoderEvent);
  run.command_line = FakeEncoderCommand("--repeat 0 --every 20 --say \"frame=1 time=00:00:01.00 bitrate=1\\r\"");
  if (i % 4 == 0) RequestStop(&run);
  if (!StartEncoderRun(&run)) return -1;
  if (i % 4 == 2) collector.WaitForKind(RUN_STARTING, 5000);
  if (i % 4 == 3) collector.WaitForKind(RUN_PROGRESS, 5000);
  RequestStop(&run);
  const auto reports = collector.WaitForFinal(20000, i % 10 == 0 ? 200 : 0);
  int finals = 0;
  for (const ReceivedReport& report : reports) finals += IsFinalReport(report.kind) ? 1 : 0;
  EXPECT_TRUE(!reports.empty() && reports.back().kind == RUN_STOPPED) << "run " << i;
  // The launcher thread ends right after its last post: let it go before the record does.
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return finals;
}

ResourceCounts SettledCounts(const ResourceCounts& target) {
  ResourceCounts counts = CountResources();
  for (int wait = 0; wait < 40 && (counts.threads > target.threads || counts.handles > target.handles); ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    counts = CountResources();
  }
  return counts;
}

// Many runs one after the other: each ends with exactly one final report after all its
// progress, and no handle or thread is left behind (the sanitizer builds check memory).
TEST(EncoderRunFault, ConsecutiveStartStopRunsLeaveNothingBehind) {
  // A first run lets the runtimes start what they keep for good (the sanitizer's own thread).
  ASSERT_EQ(1, StartAndStop(0));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const ResourceCounts before = CountResources();
  ASSERT_GT(before.handles, 0);
  ASSERT_GT(before.threads, 0);
  for (int i = 0; i < 200; ++i) ASSERT_EQ(1, StartAndStop(i)) << "run " << i;
  const ResourceCounts after = SettledCounts(before);
  EXPECT_LE(after.handles, before.handles);
  EXPECT_LE(after.threads, before.threads);
}

}  // namespace
