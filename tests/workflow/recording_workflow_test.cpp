#include "engine/recording_workflow.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/command_line.h"
#include "platform/text_codepage.h"
#include "tests/workflow/fake_recording_bar.h"

namespace {

const wchar_t kFolder[] = L"D:\\Rec";
const wchar_t kStamp[] = L"D:\\Rec\\20240305140709";

std::tm Time(int year, int month, int day, int hour, int minute, int second) {
  std::tm time{};
  time.tm_year = year - 1900;
  time.tm_mon = month - 1;
  time.tm_mday = day;
  time.tm_hour = hour;
  time.tm_min = minute;
  time.tm_sec = second;
  return time;
}

// A second bar and workflow with the same settings and clock, for table-driven cases.
struct Session {
  explicit Session(const FakeRecordingBar& model) {
    bar.settings = model.settings;
    bar.now = model.now;
    bar.workflow = &flow;
  }
  FakeRecordingBar bar;
  RecordingWorkflow flow{bar};
};

class RecordingWorkflowTest : public ::testing::Test {
 protected:
  RecordingWorkflowTest() : workflow(bar) {
    bar.workflow = &workflow;
    SetText(bar.settings.output_folder, kFolder);
    bar.settings.sound_source = 1;
    bar.settings.frame_rate = 25;
    bar.settings.video_width = 1920;
    bar.settings.video_height = 1080;
    bar.settings.video_bitrate = 2000;
    bar.settings.audio_bitrate = 128;
    bar.now = Time(2024, 3, 5, 14, 7, 9);
  }

  static void SetText(char (&field)[kSettingsTextSize], const std::wstring& text) {
    const std::string ansi = platform::WideToAnsi(text);
    std::memset(field, 0, sizeof field);
    std::memcpy(field, ansi.data(), ansi.size());
  }

  // A report as a run posts it; text in the ANSI code page like the encoder runner's.
  void Report(int32_t kind, const std::wstring& text = L"", double value = 0.0) {
    RunEvent event{};
    event.kind = kind;
    event.value = value;
    const std::string ansi = platform::WideToAnsi(text);
    std::memcpy(event.text, ansi.data(), ansi.size());
    workflow.HandleRunReport(event);
  }

  // Start, the launcher's first reports, one progress time, then Start again and the stop.
  void RecordAndStop(const std::wstring& last_time) {
    workflow.StartOrStopRecording();
    Report(RUN_STARTING);
    Report(RUN_PROGRESS);
    Report(RUN_PROGRESS, last_time);
    workflow.StartOrStopRecording();
    Report(RUN_STOPPED);
  }

  // The copy run's reports up to its end, leaving a final file of final_size bytes (-1: none).
  void FinishCopy(double exit_code, int64_t final_size, const std::wstring& last_time = L"00:00:03.00") {
    Report(RUN_STARTING);
    Report(RUN_PROGRESS);
    Report(RUN_PROGRESS, last_time);
    if (final_size >= 0) bar.files[workflow.FinalFile()] = final_size;
    Report(RUN_EXITED, L"", exit_code);
  }

  void ExpectIdleLook() {
    EXPECT_FALSE(workflow.IsRunActive());
    EXPECT_EQ(L"skin\\start.bmp", bar.start_bitmap);
    EXPECT_TRUE(bar.start_enabled);
    EXPECT_TRUE(bar.area_enabled);
    EXPECT_FALSE(bar.frame_locked);
    EXPECT_EQ(0x0000FFu, bar.frame_corner) << "red";
    EXPECT_FALSE(bar.led_blinking);
  }

  FakeRecordingBar bar;
  RecordingWorkflow workflow;
};

TEST_F(RecordingWorkflowTest, StartBeginsAFileRecordingNamedByTheStartTime) {
  workflow.StartOrStopRecording();

  ASSERT_EQ(1u, bar.runs.size());
  EXPECT_EQ(
      "quorlind.exe -y -rtbufsize 100M -framerate 25 -f dshow -i "
      "video=\"screen-capture-recorder\":audio=\"virtual-audio-capturer\" -acodec aac -pix_fmt yuv420p -vcodec "
      "libx264 -r 25 -threads 0 -preset veryfast  -s 1920x1080  -b:v 2000k  -b:a 128k  -f mpegts  "
      "\"D:\\Rec\\20240305140709.ts\"",
      bar.runs[0].command_line);
  EXPECT_EQ(kWmEncoderEvent, bar.runs[0].notify_message);
  EXPECT_EQ(RUN_STARTING, bar.runs[0].run_state_at_start) << "a second press before the first report must stop";
  EXPECT_EQ(std::wstring(kStamp) + L".ts", workflow.RecordingFile());
  EXPECT_EQ(std::wstring(kStamp) + L"_rec.mp4", workflow.FinalFile());
  EXPECT_FALSE(workflow.IsLive());
  EXPECT_FALSE(workflow.IsRemuxing());

  EXPECT_EQ(L"正在录制...", bar.status);
  EXPECT_FALSE(bar.status_error);
  EXPECT_EQ(kLedGreen, bar.led_colour);
  EXPECT_TRUE(bar.led_blinking);
  EXPECT_EQ(L"skin\\stop.bmp", bar.start_bitmap);
  EXPECT_EQ(L"停止录制", bar.start_tooltip);
  EXPECT_TRUE(bar.start_enabled);
  EXPECT_FALSE(bar.area_enabled);
  EXPECT_TRUE(bar.frame_locked);
  EXPECT_EQ(0x808080u, bar.frame_corner) << "grey";
  EXPECT_EQ(std::vector<bool>{true}, bar.slides);
  EXPECT_LT(bar.Find("slide hide"), bar.Find("run 1125")) << "the launcher starts last";
  EXPECT_TRUE(bar.messages.empty());
}

TEST_F(RecordingWorkflowTest, ProgressShowsTheTimeAndMakesTheRunRunning) {
  workflow.StartOrStopRecording();
  Report(RUN_STARTING);
  EXPECT_EQ(RUN_STARTING, workflow.RunState());
  Report(RUN_PROGRESS);
  EXPECT_EQ(L"正在录制 ", bar.status);
  Report(RUN_PROGRESS, L"00:01:23.45");
  EXPECT_EQ(L"正在录制 00:01:23.45", bar.status);
  EXPECT_FALSE(bar.status_error);
  EXPECT_EQ(RUN_PROGRESS, workflow.RunState());
  EXPECT_TRUE(workflow.IsRunActive());
  EXPECT_EQ((std::vector<bool>{true, true}), bar.slides) << "each start report hides; progress does not";
}

TEST_F(RecordingWorkflowTest, SecondPressStopsTheRunInsteadOfStartingAnother) {
  // Pressed twice before the launcher has reported anything, and once more while running.
  workflow.StartOrStopRecording();
  workflow.StartOrStopRecording();
  ASSERT_EQ(1u, bar.runs.size());
  EXPECT_EQ(1, bar.runs[0].stop_requests);
  Report(RUN_STARTING);
  Report(RUN_PROGRESS, L"00:00:00.50");
  workflow.StartOrStopRecording();
  EXPECT_EQ(1u, bar.runs.size());
  EXPECT_EQ(2, bar.runs[0].stop_requests);
}

TEST_F(RecordingWorkflowTest, HiddenStopButtonRequestsAStopInAnyState) {
  workflow.StopRecording();
  EXPECT_EQ(1, bar.stray_stop_requests) << "the bar ignores it while it has no run";
  workflow.StartOrStopRecording();
  workflow.StopRecording();
  EXPECT_EQ(1, bar.runs[0].stop_requests);
  EXPECT_EQ(1u, bar.runs.size());
}

TEST_F(RecordingWorkflowTest, StopShowsTheLastTimeAndStartsTheCopy) {
  RecordAndStop(L"00:00:05.20");

  EXPECT_TRUE(bar.Logged("status 已停止 00:00:05.20 green"));
  ASSERT_EQ(2u, bar.runs.size());
  EXPECT_EQ(BuildRemuxCommand("D:\\Rec\\20240305140709.ts", "D:\\Rec\\20240305140709_rec.mp4"),
            bar.runs[1].command_line);
  EXPECT_EQ(kWmRemuxEvent, bar.runs[1].notify_message);
  EXPECT_EQ(RUN_STARTING, bar.runs[1].run_state_at_start);
  EXPECT_TRUE(workflow.IsRemuxing());
  EXPECT_TRUE(workflow.IsRunActive());
  EXPECT_EQ(L"检查格式...", bar.status);
  EXPECT_FALSE(bar.start_enabled) << "Start is off during the copy";
  EXPECT_FALSE(bar.area_enabled);
  EXPECT_EQ(L"skin\\stop.bmp", bar.start_bitmap);
  EXPECT_TRUE(bar.frame_locked);
  EXPECT_FALSE(bar.led_blinking) << "the copy's own first report starts the blinking again";
  EXPECT_EQ((std::vector<bool>{true, true, false}), bar.slides) << "the copy does not hide the bar";
  EXPECT_TRUE(bar.deleted.empty());
}

TEST_F(RecordingWorkflowTest, CompleteCopyDeletesTheTransportStream) {
  RecordAndStop(L"00:00:05.20");
  bar.files[workflow.RecordingFile()] = 900000;
  Report(RUN_STARTING);
  EXPECT_TRUE(bar.led_blinking);
  EXPECT_EQ(L"检查格式...", bar.status);
  Report(RUN_PROGRESS);
  Report(RUN_PROGRESS, L"00:00:05.10");
  EXPECT_EQ(L"检查格式 00:00:05.10", bar.status);
  bar.files[workflow.FinalFile()] = 850000;
  Report(RUN_EXITED, L"", 0.0);

  EXPECT_EQ(L"已停止 00:00:05.10", bar.status);
  EXPECT_FALSE(bar.status_error);
  EXPECT_EQ(kLedGreen, bar.led_colour);
  EXPECT_EQ(std::vector<std::wstring>{std::wstring(kStamp) + L".ts"}, bar.deleted);
  EXPECT_TRUE(bar.messages.empty());
  EXPECT_FALSE(workflow.IsRemuxing());
  EXPECT_EQ(L"开始录制", bar.start_tooltip);
  ExpectIdleLook();
  EXPECT_EQ((std::vector<bool>{true, true, false, false}), bar.slides);
}

TEST_F(RecordingWorkflowTest, TransportStreamFormatStillCopiesAndDeletes) {
  bar.settings.save_format = 1;
  RecordAndStop(L"00:00:02.00");
  EXPECT_EQ(std::wstring(kStamp) + L"_rec.ts", workflow.FinalFile());
  EXPECT_EQ(BuildRemuxCommand("D:\\Rec\\20240305140709.ts", "D:\\Rec\\20240305140709_rec.ts"),
            bar.runs[1].command_line);
  bar.files[workflow.RecordingFile()] = 1000;
  FinishCopy(0.0, 1000);
  EXPECT_EQ(std::vector<std::wstring>{std::wstring(kStamp) + L".ts"}, bar.deleted);
}

// A copy that did not produce a complete file keeps the transport stream and names it,
// after the bar already shows the stop.
TEST_F(RecordingWorkflowTest, IncompleteCopyKeepsTheRecordingAndSaysWhere) {
  struct Case {
    const char* name;
    double exit_code;
    int64_t final_size;
    bool cut = false;  // e.g. by a full disk, which the encoder does not report
  };
  for (const Case& c :
       {Case{"exit code 1", 1.0, 5000}, Case{"exit code -1", 4294967295.0, 5000}, Case{"empty final file", 0.0, 0},
        Case{"no final file", 0.0, -1}, Case{"final file cut short", 0.0, 5000, true}}) {
    Session session(bar);
    FakeRecordingBar& local = session.bar;
    RecordingWorkflow& flow = session.flow;
    flow.StartOrStopRecording();
    flow.ApplyRunEvent(RUN_PROGRESS, "00:00:04.00");
    flow.StartOrStopRecording();
    flow.HandleRunReport(RunEvent{RUN_STOPPED, 0.0, {}});
    local.files[flow.RecordingFile()] = 700000;
    if (c.final_size >= 0) local.files[flow.FinalFile()] = c.final_size;
    if (c.cut) local.cut_files.insert(flow.FinalFile());
    flow.ApplyRunEvent(RUN_PROGRESS, "00:00:03.90");
    flow.HandleRunReport(RunEvent{RUN_EXITED, c.exit_code, {}});

    EXPECT_TRUE(local.deleted.empty()) << c.name;
    EXPECT_EQ(L"已停止 00:00:03.90", local.status) << c.name;
    EXPECT_FALSE(local.status_error) << c.name;
    ASSERT_EQ(1u, local.messages.size()) << c.name;
    EXPECT_NE(std::wstring::npos, local.messages[0].find(L"D:\\Rec\\20240305140709.ts")) << c.name;
    EXPECT_LT(local.Find("status 已停止 00:00:03.90 green"), local.FindLast("led steady")) << c.name;
    EXPECT_GT(local.Find("message " + platform::WideToUtf8(local.messages[0])), local.Find("repaint")) << c.name;
    EXPECT_FALSE(flow.IsRunActive()) << c.name;
  }
}

TEST_F(RecordingWorkflowTest, FailedCopyOfAnEmptyRecordingSaysNothing) {
  RecordAndStop(L"");
  bar.files[workflow.RecordingFile()] = 0;
  FinishCopy(1.0, -1);
  EXPECT_TRUE(bar.messages.empty());
  EXPECT_TRUE(bar.deleted.empty());
}

TEST_F(RecordingWorkflowTest, CopyOfARecordingThatWentMissingSaysSoInRed) {
  RecordAndStop(L"00:00:04.00");  // its folder was removed meanwhile: no recording file
  FinishCopy(1.0, -1);
  EXPECT_EQ(L"录制文件已丢失！", bar.status);
  EXPECT_TRUE(bar.status_error);
  EXPECT_TRUE(bar.messages.empty());
  EXPECT_TRUE(bar.deleted.empty());
  ExpectIdleLook();
}

TEST_F(RecordingWorkflowTest, CopyThatCannotStartKeepsTheRecordingInRed) {
  RecordAndStop(L"00:00:02.00");
  bar.files[workflow.RecordingFile()] = 4000;
  Report(RUN_STARTING);
  Report(RUN_FAILED, L"创建进程失败", -1.0);

  EXPECT_EQ(L"创建进程失败", bar.status);
  EXPECT_TRUE(bar.status_error);
  EXPECT_EQ(kLedRed, bar.led_colour);
  EXPECT_TRUE(bar.deleted.empty());
  ASSERT_EQ(1u, bar.messages.size());
  EXPECT_NE(std::wstring::npos, bar.messages[0].find(std::wstring(kStamp) + L".ts"));
  EXPECT_TRUE(workflow.IsRemuxing()) << "stays set until the next start";
  ExpectIdleLook();

  bar.now.tm_sec = 30;
  workflow.StartOrStopRecording();
  EXPECT_FALSE(workflow.IsRemuxing());
  EXPECT_EQ(L"正在录制...", bar.status);
  EXPECT_EQ(3u, bar.runs.size());
}

TEST_F(RecordingWorkflowTest, F8DuringTheCopyStopsItAndKeepsTheRecording) {
  RecordAndStop(L"00:00:09.00");
  Report(RUN_STARTING);
  Report(RUN_PROGRESS, L"00:00:01.00");
  workflow.StartOrStopRecording();
  EXPECT_EQ(1, bar.runs[1].stop_requests);
  Report(RUN_STOPPED);

  EXPECT_EQ(2u, bar.runs.size()) << "no second copy";
  EXPECT_EQ(L"已停止 00:00:01.00", bar.status);
  EXPECT_FALSE(bar.status_error);
  EXPECT_TRUE(bar.deleted.empty());
  ExpectIdleLook();
}

TEST_F(RecordingWorkflowTest, StopBeforeAnyProgressShowsNothingAfterTheBlank) {
  workflow.StartOrStopRecording();
  Report(RUN_STARTING);
  workflow.StartOrStopRecording();
  Report(RUN_STOPPED);
  EXPECT_TRUE(bar.Logged("status 已停止  green")) << "the text is \"已停止 \" with one blank";
  // The reader's first report has no time either.
  Report(RUN_STARTING);
  Report(RUN_PROGRESS);
  bar.files[workflow.FinalFile()] = 10;
  Report(RUN_EXITED, L"", 0.0);
  EXPECT_EQ(L"已停止 ", bar.status);
}

TEST_F(RecordingWorkflowTest, RecordingThatEndsByItselfIsAFailureWithoutCopy) {
  for (double exit_code : {1.0, 0.0}) {
    Session session(bar);
    FakeRecordingBar& local = session.bar;
    RecordingWorkflow& flow = session.flow;
    flow.StartOrStopRecording();
    flow.HandleRunReport(RunEvent{RUN_PROGRESS, 0.0, "00:00:07.00"});
    flow.HandleRunReport(RunEvent{RUN_EXITED, exit_code, {}});

    EXPECT_EQ(L"异常终止！", local.status) << exit_code;
    EXPECT_TRUE(local.status_error);
    EXPECT_EQ(1u, local.runs.size()) << "no copy";
    EXPECT_TRUE(local.deleted.empty());
    EXPECT_EQ(kLedGreen, local.led_colour);
    EXPECT_FALSE(local.led_blinking);
    EXPECT_FALSE(flow.IsRunActive());
    EXPECT_EQ(RUN_EXITED, flow.RunState());
  }
}

TEST_F(RecordingWorkflowTest, LauncherFailuresShowTheirTextInRed) {
  struct Case {
    std::vector<int32_t> before;
    std::wstring text;
    std::wstring shown;
  };
  for (const Case& c :
       {Case{{}, L"创建通道失败", L"创建通道失败"}, Case{{RUN_STARTING}, L"创建进程失败", L"创建进程失败"},
        Case{{RUN_STARTING}, L"", L"出现错误！"}}) {
    Session session(bar);
    FakeRecordingBar& local = session.bar;
    RecordingWorkflow& flow = session.flow;
    flow.StartOrStopRecording();
    for (int32_t kind : c.before) flow.HandleRunReport(RunEvent{kind, 0.0, {}});
    RunEvent failed{RUN_FAILED, -1.0, {}};
    const std::string ansi = platform::WideToAnsi(c.text);
    std::memcpy(failed.text, ansi.data(), ansi.size());
    flow.HandleRunReport(failed);

    EXPECT_EQ(c.shown, local.status);
    EXPECT_TRUE(local.status_error);
    EXPECT_EQ(kLedRed, local.led_colour);
    EXPECT_FALSE(local.led_blinking) << "steady red";
    EXPECT_EQ(L"skin\\start.bmp", local.start_bitmap);
    EXPECT_TRUE(local.area_enabled);
    EXPECT_EQ(1u, local.runs.size()) << "no copy after a failure";
    EXPECT_TRUE(local.messages.empty());
    EXPECT_FALSE(flow.IsRunActive());
  }
}

TEST_F(RecordingWorkflowTest, LauncherThatCannotStartLeavesTheBarIdle) {
  bar.launcher_starts = false;
  workflow.StartOrStopRecording();
  EXPECT_EQ(L"出现错误！", bar.status);
  EXPECT_TRUE(bar.status_error);
  EXPECT_EQ(RUN_FAILED, workflow.RunState());
  ExpectIdleLook();
  bar.launcher_starts = true;
  workflow.StartOrStopRecording();
  EXPECT_EQ(1u, bar.runs.size()) << "the next press starts a run";
}

TEST_F(RecordingWorkflowTest, EmptyFolderAsksForTheSettingsFirst) {
  SetText(bar.settings.output_folder, L"");
  workflow.StartOrStopRecording();
  EXPECT_EQ(std::vector<std::wstring>{L"您还没有对系统做任何设置，请完成设置后再启动录制。"}, bar.messages);
  EXPECT_EQ(1, bar.settings_dialogs);
  EXPECT_LT(bar.Find("message 您还没有对系统做任何设置，请完成设置后再启动录制。"), bar.Find("settings dialog"));
  EXPECT_TRUE(bar.runs.empty());
  EXPECT_FALSE(workflow.IsRunActive());
  EXPECT_TRUE(bar.status.empty()) << "the status line is left alone";
}

TEST_F(RecordingWorkflowTest, SoundSourceChoosesTheAudioDevice) {
  struct Case {
    int32_t sound_source;
    std::wstring microphone;
    const char* device;  // nullptr: silent; "mic": the microphone's name
    bool refused;
    std::wstring mixed;  // the microphone the system sound device is told to mix
  };
  for (const Case& c : {Case{0, L"麦克风 (USB Audio)", "mic", false, L""}, Case{0, L"", nullptr, true, L""},
                        Case{1, L"麦克风 (USB Audio)", "virtual-audio-capturer", false, L""},
                        Case{2, L"麦克风 (USB Audio)", "virtual-audio-capturer", false, L"麦克风 (USB Audio)"},
                        Case{2, L"", nullptr, true, L""}, Case{3, L"麦克风 (USB Audio)", nullptr, false, L""},
                        Case{-1, L"", nullptr, false, L""}}) {
    Session session(bar);
    FakeRecordingBar& local = session.bar;
    RecordingWorkflow& flow = session.flow;
    local.settings.sound_source = c.sound_source;
    SetText(local.settings.microphone_name, c.microphone);
    flow.StartOrStopRecording();

    const std::string label = "sound_source " + std::to_string(c.sound_source);
    if (c.refused) {
      EXPECT_EQ(std::vector<std::wstring>{L"没有配置麦克风设备！"}, local.messages) << label;
      EXPECT_TRUE(local.runs.empty()) << label;
      EXPECT_FALSE(flow.IsRunActive()) << label;
      EXPECT_EQ(0, local.settings_dialogs) << label;
      EXPECT_FALSE(local.mixed_microphone) << label;
      continue;
    }
    // Every other source removes the value, so a recording of the system sound alone never
    // opens the microphone an earlier recording mixed in.
    EXPECT_EQ(c.mixed, local.mixed_microphone.value_or(L"(never told)")) << label;
    const int told = local.Find("mix " + platform::WideToUtf8(c.mixed));
    EXPECT_GE(told, 0) << label;
    EXPECT_LT(told, local.Find("run " + std::to_string(kWmEncoderEvent))) << label;
    const std::string microphone = platform::WideToAnsi(c.microphone);
    const char* device = c.device && std::strcmp(c.device, "mic") == 0 ? microphone.c_str() : c.device;
    ASSERT_EQ(1u, local.runs.size()) << label;
    EXPECT_EQ(BuildCaptureCommand("D:\\Rec\\20240305140709.ts", device, 25, 1920, 1080, 2000, 128, 0),
              local.runs[0].command_line)
        << label;
    if (!device) {
      EXPECT_EQ(std::string::npos, local.runs[0].command_line.find("-acodec aac")) << label;
      EXPECT_EQ(std::string::npos, local.runs[0].command_line.find("-b:a")) << label;
    }
  }
}

TEST_F(RecordingWorkflowTest, LiveStreamUsesTheAddressAndCopiesNothing) {
  bar.settings.live_enabled = 1;
  bar.settings.fluency_first = 1;
  SetText(bar.settings.live_url, L"udp://127.0.0.1:5000");
  workflow.StartOrStopRecording();

  ASSERT_EQ(1u, bar.runs.size());
  EXPECT_EQ(BuildCaptureCommand("udp://127.0.0.1:5000", "virtual-audio-capturer", 25, 1920, 1080, 2000, 128, 1),
            bar.runs[0].command_line);
  EXPECT_TRUE(workflow.IsLive());
  EXPECT_EQ(L"正在直播...", bar.status);
  EXPECT_EQ(L"停止直播", bar.start_tooltip);
  Report(RUN_STARTING);
  Report(RUN_PROGRESS, L"00:00:01.00");
  EXPECT_EQ(L"正在直播 00:00:01.00", bar.status);
  workflow.StartOrStopRecording();
  Report(RUN_STOPPED);

  EXPECT_EQ(L"已停止 00:00:01.00", bar.status);
  EXPECT_EQ(1u, bar.runs.size()) << "no copy for a live stream";
  EXPECT_FALSE(workflow.IsRemuxing());
  EXPECT_TRUE(bar.deleted.empty());
  EXPECT_TRUE(bar.messages.empty());
  EXPECT_EQ(L"开始直播", bar.start_tooltip);
  EXPECT_EQ(RUN_STOPPED, workflow.RunState());
  ExpectIdleLook();
}

// F7 or the area button during a file recording: the devices are told, the bar shows the
// pause with the time it came at, and the time goes on from there; a stop while paused lets
// the devices go on first, so that the encoder can take it; the copy and the end give the
// area button back.
TEST_F(RecordingWorkflowTest, PauseAndResumeAFileRecording) {
  workflow.StartOrStopRecording();
  EXPECT_EQ(L"skin\\pause.bmp", bar.area_bitmap);
  EXPECT_FALSE(bar.area_enabled) << "nothing to pause before the encoder records";
  workflow.PauseOrResume();
  EXPECT_FALSE(bar.capture_paused);
  Report(RUN_STARTING);
  Report(RUN_PROGRESS, L"00:00:05.00");
  EXPECT_TRUE(bar.area_enabled);
  EXPECT_EQ(L"暂停录制", bar.area_tooltip);

  workflow.PauseOrResume();
  EXPECT_TRUE(bar.capture_paused);
  EXPECT_TRUE(workflow.IsPaused());
  EXPECT_EQ(L"已暂停 00:00:05.00", bar.status);
  EXPECT_FALSE(bar.status_error);
  EXPECT_EQ(kLedGreen, bar.led_colour);
  EXPECT_FALSE(bar.led_blinking);
  EXPECT_EQ(L"skin\\resume.bmp", bar.area_bitmap);
  EXPECT_EQ(L"继续录制", bar.area_tooltip);
  EXPECT_EQ(L"skin\\stop.bmp", bar.start_bitmap);
  EXPECT_TRUE(bar.frame_locked);
  EXPECT_EQ(kFrameCornerLocked, bar.frame_corner);
  EXPECT_EQ(RUN_PROGRESS, workflow.RunState()) << "the exit keeps refusing";
  Report(RUN_PROGRESS, L"00:00:05.20");  // what the encoder still had in hand
  EXPECT_EQ(L"已暂停 00:00:05.00", bar.status);

  workflow.PauseOrResume();
  EXPECT_FALSE(bar.capture_paused);
  EXPECT_EQ(L"正在录制 00:00:05.20", bar.status);
  EXPECT_TRUE(bar.led_blinking);
  EXPECT_EQ(L"skin\\pause.bmp", bar.area_bitmap);
  Report(RUN_PROGRESS, L"00:00:06.00");
  EXPECT_EQ(L"正在录制 00:00:06.00", bar.status);

  workflow.PauseOrResume();
  workflow.StartOrStopRecording();  // F8 while paused
  EXPECT_FALSE(bar.capture_paused);
  EXPECT_LT(bar.FindLast("capture goes on"), bar.FindLast("stop"));
  Report(RUN_STOPPED);
  EXPECT_TRUE(bar.Logged("status 已停止 00:00:06.00 green"));
  ASSERT_EQ(2u, bar.runs.size()) << "the copy runs as after any stop";
  EXPECT_EQ(L"skin\\area.bmp", bar.area_bitmap);
  EXPECT_FALSE(bar.area_enabled);
  workflow.PauseOrResume();  // during the copy
  EXPECT_FALSE(bar.capture_paused);
  FinishCopy(0, 1000);
  EXPECT_EQ(L"skin\\area.bmp", bar.area_bitmap);
  EXPECT_EQ(L"", bar.area_tooltip);
  ExpectIdleLook();
}

// Where a pause cannot work, F7 does nothing: idle, a live stream (its viewers' stream would
// break), sound from a microphone (its own clock goes on). An encoder that ends by itself
// while paused leaves the devices free for the next recording.
TEST_F(RecordingWorkflowTest, PauseOnlyWhereItCanWork) {
  workflow.PauseOrResume();
  EXPECT_FALSE(bar.capture_paused) << "idle";
  for (int variant = 0; variant < 2; ++variant) {
    Session s(bar);
    if (variant == 0) s.bar.settings.live_enabled = 1;
    if (variant == 1) {
      s.bar.settings.sound_source = 0;
      SetText(s.bar.settings.microphone_name, L"麦克风");
    }
    s.flow.StartOrStopRecording();
    RunEvent progress{};
    progress.kind = RUN_PROGRESS;
    s.flow.HandleRunReport(progress);
    s.flow.PauseOrResume();
    EXPECT_FALSE(s.bar.capture_paused) << variant;
    EXPECT_FALSE(s.bar.area_enabled) << variant;
    EXPECT_EQ(L"skin\\area.bmp", s.bar.area_bitmap) << variant;
  }

  workflow.StartOrStopRecording();
  Report(RUN_PROGRESS, L"00:00:01.00");
  workflow.PauseOrResume();
  Report(RUN_EXITED);
  EXPECT_FALSE(bar.capture_paused);
  EXPECT_FALSE(workflow.IsPaused());
  EXPECT_EQ(L"异常终止！", bar.status);
  EXPECT_EQ(L"skin\\area.bmp", bar.area_bitmap);
}

TEST_F(RecordingWorkflowTest, FileRecordingIgnoresTheLiveKeyFrameOption) {
  bar.settings.fluency_first = 1;
  bar.settings.live_enabled = 2;  // only 1 switches live streaming on
  workflow.StartOrStopRecording();
  EXPECT_FALSE(workflow.IsLive());
  EXPECT_EQ(std::string::npos, bar.runs[0].command_line.find("keyint"));
}

TEST_F(RecordingWorkflowTest, RecordingsStartedInTheSameSecondGetTheirOwnNames) {
  RecordAndStop(L"00:00:00.40");
  bar.files[workflow.RecordingFile()] = 100;
  FinishCopy(0.0, 100);
  ASSERT_EQ(std::vector<std::wstring>{std::wstring(kStamp) + L".ts"}, bar.deleted);

  // Same second: the first recording's final file is on disk.
  workflow.StartOrStopRecording();
  EXPECT_EQ(std::wstring(kStamp) + L"_2.ts", workflow.RecordingFile());
  EXPECT_EQ(std::wstring(kStamp) + L"_2_rec.mp4", workflow.FinalFile());
  EXPECT_NE(std::string::npos, bar.runs.back().command_line.find("\"D:\\Rec\\20240305140709_2.ts\""));
  workflow.StartOrStopRecording();
  Report(RUN_STOPPED);

  // Same second again, before the encoder has written anything: the names just given out
  // count as taken too.
  Report(RUN_FAILED, L"创建进程失败");
  workflow.StartOrStopRecording();
  EXPECT_EQ(std::wstring(kStamp) + L"_3.ts", workflow.RecordingFile());

  // A file of the other format also counts.
  Session other(bar);
  other.bar.files[std::wstring(kStamp) + L"_rec.ts"] = 1;
  other.flow.StartOrStopRecording();
  EXPECT_EQ(std::wstring(kStamp) + L"_2.ts", other.flow.RecordingFile());

  // The next second gets the plain time stamp again.
  Report(RUN_FAILED);
  bar.now.tm_sec = 10;
  workflow.StartOrStopRecording();
  EXPECT_EQ(L"D:\\Rec\\20240305140710.ts", workflow.RecordingFile());
}

// The last free name of a second is "_99"; with that taken too nothing is started (the
// encoder would overwrite a recording) and the user is told why. A live stream writes no file.
TEST_F(RecordingWorkflowTest, SameSecondNamesEndAtNinetyNineAndNeverOverwrite) {
  bar.files[std::wstring(kStamp) + L"_rec.mp4"] = 1;
  for (int suffix = 2; suffix <= 98; ++suffix)
    bar.files[std::wstring(kStamp) + L"_" + std::to_wstring(suffix) + L".ts"] = 1;
  workflow.StartOrStopRecording();
  EXPECT_EQ(std::wstring(kStamp) + L"_99.ts", workflow.RecordingFile());
  ASSERT_EQ(1u, bar.runs.size());
  Report(RUN_FAILED);

  Session full(bar);
  full.bar.files = bar.files;
  full.bar.files[std::wstring(kStamp) + L"_99_rec.mp4"] = 1;
  full.flow.StartOrStopRecording();
  EXPECT_TRUE(full.bar.runs.empty());
  ASSERT_EQ(1u, full.bar.messages.size());
  EXPECT_EQ(L"保存目录中这一秒的录制文件名已全部被占用，请稍后再开始录制。", full.bar.messages[0]);
  EXPECT_FALSE(full.flow.IsRunActive());

  full.bar.settings.live_enabled = 1;
  full.flow.StartOrStopRecording();
  EXPECT_EQ(1u, full.bar.runs.size());
}

TEST_F(RecordingWorkflowTest, ReportsKeepOnlyTheirTextAndUnknownKindsOnlyRepaint) {
  workflow.StartOrStopRecording();
  RunEvent full{RUN_PROGRESS, 0.0, {}};
  std::memset(full.text, '7', sizeof full.text);  // no terminator at all
  workflow.HandleRunReport(full);
  EXPECT_EQ(L"正在录制 " + std::wstring(255, L'7'), bar.status);

  const size_t calls = bar.log.size();
  const int repaints = bar.repaints;
  workflow.HandleRunReport(RunEvent{42, 0.0, "ignored"});
  EXPECT_EQ(42, workflow.RunState());
  EXPECT_EQ(repaints + 1, bar.repaints);
  EXPECT_EQ(calls + 1, bar.log.size()) << "only the repaint";
}

// The note of the recording in progress lives from the start until the bar has shown how the
// recording's files ended, whatever way that is; a live stream has no file to note.
TEST_F(RecordingWorkflowTest, TheNoteCoversARecordingUntilItsEndIsShown) {
  const std::pair<std::wstring, std::wstring> noted{std::wstring(kStamp) + L".ts", std::wstring(kStamp) + L"_rec.mp4"};
  struct Case {
    const char* name;
    std::vector<RunEvent> reports;  // after the start
  };
  const Case cases[] = {
      {"stopped and copied", {{RUN_PROGRESS, 0.0, {}}, {RUN_STOPPED, 0.0, {}}, {RUN_EXITED, 0.0, {}}}},
      {"copy failed", {{RUN_STOPPED, 0.0, {}}, {RUN_EXITED, 1.0, {}}}},
      {"copy could not start", {{RUN_STOPPED, 0.0, {}}, {RUN_FAILED, -1.0, {}}}},
      {"copy stopped by F8", {{RUN_STOPPED, 0.0, {}}, {RUN_STOPPED, 0.0, {}}}},
      {"encoder ended by itself", {{RUN_PROGRESS, 0.0, {}}, {RUN_EXITED, 1.0, {}}}},
      {"encoder could not start", {{RUN_FAILED, -1.0, {}}}},
  };
  for (const Case& c : cases) {
    Session session(bar);
    session.flow.StartOrStopRecording();
    EXPECT_EQ(noted, session.bar.note) << c.name;
    EXPECT_LT(session.bar.Find("note " + platform::WideToUtf8(noted.first)), session.bar.Find("run 1125")) << c.name;
    session.bar.files[noted.first] = 5000;
    for (size_t i = 0; i < c.reports.size(); ++i) {
      EXPECT_TRUE(session.bar.note) << c.name << ", before report " << i;
      session.flow.HandleRunReport(c.reports[i]);
    }
    EXPECT_FALSE(session.bar.note) << c.name;
    EXPECT_LT(session.bar.FindLast("led steady"), session.bar.Find("note removed")) << c.name;
  }

  bar.settings.live_enabled = 1;
  SetText(bar.settings.live_url, L"rtmp://127.0.0.1/live/x");
  workflow.StartOrStopRecording();
  Report(RUN_STOPPED);
  EXPECT_EQ(-1, bar.Find("note " + platform::WideToUtf8(noted.first)));
}

// A recording noted by a run that never ended is copied at the next start as a stop would
// have copied it; the user is told which file came of it, which file still holds it (its note
// stays for the next start), or which file could not be used.
TEST_F(RecordingWorkflowTest, AnInterruptedRecordingIsFinishedAndNamed) {
  const std::wstring recording = L"E:\\录像\\20231224080000.ts";
  const std::wstring final_file = L"E:\\录像\\20231224080000_rec.mp4";
  const std::wstring finished = L"上次录制没有正常结束，已为您生成录制文件：\r\n" + final_file;
  const std::wstring kept = L"生成最终文件失败，录制内容仍保存在文件：\r\n" + recording;
  const std::wstring lost = L"上次录制没有正常结束，以下录制文件无法恢复：\r\n" + recording;
  struct Case {
    const char* name;
    int64_t recording_size;  // -1: missing
    int64_t final_before;    // a final file already there; -1: none
    std::vector<RunEvent> reports;
    int64_t final_size;  // left by the copy; -1: none
    std::wstring message;
    bool recording_deleted;
    bool note_kept;
  };
  const Case cases[] = {
      {"copied whole", 188 * 1000, -1, {{RUN_STARTING, 0.0, {}}, {RUN_EXITED, 0.0, {}}}, 150000, finished, true, false},
      {"copy cut short", 188 * 1000, -1, {{RUN_EXITED, 0.0, {}}}, 0, kept, false, true},
      {"unreadable by the copy", 188 * 1000, -1, {{RUN_EXITED, 1.0, {}}}, -1, kept, false, true},
      {"copy could not start", 188 * 1000, -1, {{RUN_FAILED, -1.0, {}}}, -1, kept, false, true},
      {"copy stopped by F8", 188 * 1000, -1, {{RUN_STOPPED, 0.0, {}}}, -1, kept, false, true},
      {"recording missing", -1, -1, {}, -1, lost, false, false},
      {"recording empty", 0, -1, {}, -1, lost, false, false},
      {"ended after the copy deleted it", -1, 150000, {}, -1, finished, false, false},
  };
  for (const Case& c : cases) {
    Session session(bar);
    FakeRecordingBar& local = session.bar;
    local.note.emplace(recording, final_file);
    if (c.recording_size >= 0) local.files[recording] = c.recording_size;
    if (c.final_before >= 0) local.files[final_file] = c.final_before;
    session.flow.FinishInterruptedRecording(recording, final_file);
    if (c.recording_size > 0) {
      ASSERT_EQ(1u, local.runs.size()) << c.name;
      EXPECT_EQ(BuildRemuxCommand(platform::WideToAnsi(recording), platform::WideToAnsi(final_file)),
                local.runs[0].command_line)
          << c.name;
      EXPECT_EQ(L"检查格式...", local.status) << c.name;
      EXPECT_TRUE(local.messages.empty()) << c.name;
    } else {
      EXPECT_TRUE(local.runs.empty()) << c.name;
    }
    if (c.final_size >= 0) local.files[final_file] = c.final_size;
    for (const RunEvent& report : c.reports) session.flow.HandleRunReport(report);

    EXPECT_EQ(std::vector<std::wstring>{c.message}, local.messages) << c.name;
    EXPECT_EQ(c.recording_deleted ? std::vector<std::wstring>{recording} : std::vector<std::wstring>{}, local.deleted)
        << c.name;
    EXPECT_EQ(c.note_kept, local.note.has_value()) << c.name;
    EXPECT_FALSE(session.flow.IsRunActive()) << c.name;
  }

  // The next recording is an ordinary one again: its copy says nothing.
  workflow.FinishInterruptedRecording(recording, final_file);
  ASSERT_EQ(1u, bar.messages.size());
  bar.now.tm_sec = 40;
  RecordAndStop(L"00:00:02.00");
  bar.files[workflow.RecordingFile()] = 4000;
  FinishCopy(0.0, 4000);
  EXPECT_EQ(1u, bar.messages.size());
}

// F8 or Start while the start-up check runs would start a recording whose note the recovery
// then takes for an earlier one's, and a recovery copy would replace the live run.
TEST_F(RecordingWorkflowTest, NothingStartsDuringTheStartupAndRecoveryNeverTouchesALiveRun) {
  workflow.HoldStartsForStartup(true);
  workflow.StartOrStopRecording();
  EXPECT_TRUE(bar.runs.empty());
  EXPECT_FALSE(bar.note);
  workflow.HoldStartsForStartup(false);

  workflow.StartOrStopRecording();
  Report(RUN_STARTING);
  Report(RUN_PROGRESS, L"00:00:06.00");
  const auto own_note = bar.note;
  ASSERT_TRUE(own_note);
  bar.files[own_note->first] = 90000;
  workflow.FinishInterruptedRecording(own_note->first, own_note->second);
  EXPECT_EQ(1u, bar.runs.size()) << "no copy replaces the recording's run";
  EXPECT_TRUE(bar.messages.empty());
  EXPECT_EQ(own_note, bar.note);
  EXPECT_EQ(L"正在录制 00:00:06.00", bar.status);
}

TEST(RecordingNames, TimeStampHasFourteenDigits) {
  EXPECT_EQ("20240305140709", MakeTimestampName(Time(2024, 3, 5, 14, 7, 9)));
  EXPECT_EQ("19991231235959", MakeTimestampName(Time(1999, 12, 31, 23, 59, 59)));
}

TEST(RecordingNames, FallbackTextsCoverEveryKind) {
  const std::vector<std::pair<int32_t, std::wstring>> table = {
      {0, L"准备就绪"},   {1, L"开始录制"}, {2, L"正在录制..."},
      {3, L"异常终止！"}, {4, L"停止录制"}, {10, L"出现错误！"},
      {5, L""},           {-1, L""}};
  for (const auto& [kind, text] : table) EXPECT_EQ(text, FallbackStatusText(kind)) << kind;
}

}  // namespace
