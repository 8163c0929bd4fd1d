#include "engine/recording_workflow.h"

#include <cstring>

#include "engine/command_line.h"
#include "platform/text_codepage.h"

namespace {

const char kSystemSoundDevice[] = "virtual-audio-capturer";
const wchar_t kStartBitmap[] = L"skin\\start.bmp";
const wchar_t kStopBitmap[] = L"skin\\stop.bmp";
// Same-second recordings get "_2", "_3", ... after the time stamp; this many at most.
const int kMaxNameSuffix = 99;

}  // namespace

std::string MakeTimestampName(const std::tm& time) {
  char name[128];
  const size_t length = std::strftime(name, sizeof name, "%Y%m%d%H%M%S", &time);
  return std::string(name, length);
}

std::wstring FallbackStatusText(int32_t kind) {
  switch (kind) {
    case 0:
      return L"准备就绪";
    case RUN_STARTING:
      return L"开始录制";
    case RUN_PROGRESS:
      return L"正在录制...";
    case RUN_EXITED:
      return L"异常终止！";
    case RUN_STOPPED:
      return L"停止录制";
    case RUN_FAILED:
      return L"出现错误！";
    default:
      return L"";
  }
}

void RecordingWorkflow::StartOrStopRecording() {
  if (m_bStartupHeld) return;
  if (IsRunActive()) {
    EndPause();
    bar_.RequestStop();
    return;
  }
  const SettingsRecord& settings = bar_.Settings();
  if (FieldText(settings.output_folder).empty()) {
    bar_.ShowMessage(L"您还没有对系统做任何设置，请完成设置后再启动录制。");
    bar_.OpenSettingsDialog();
    return;
  }
  const std::string microphone = FieldText(settings.microphone_name);
  const bool needs_microphone = settings.sound_source == 0 || settings.sound_source == 2;
  if (needs_microphone && microphone.empty()) {
    bar_.ShowMessage(L"没有配置麦克风设备！");
    return;
  }
  // 0: the microphone; 1, and 2 once a microphone is set: the system sound; else silence.
  const char* audio_device = nullptr;
  if (settings.sound_source == 0) audio_device = microphone.c_str();
  if (settings.sound_source == 1 || settings.sound_source == 2) audio_device = kSystemSoundDevice;

  m_bLive = settings.live_enabled == 1;
  // A microphone keeps its own time, which no pause can stop.
  m_bPausable = !m_bLive && settings.sound_source != 0;
  // A live stream writes no file; a recording never takes a name in use.
  if (!ChooseFileNames(settings) && !m_bLive) {
    bar_.ShowMessage(L"保存目录中这一秒的录制文件名已全部被占用，请稍后再开始录制。");
    return;
  }
  m_bInterrupted = false;
  if (!m_bLive) bar_.WriteRecordingNote(m_strRecordingFile, m_strFinalFile);
  const std::string output = m_bLive ? FieldText(settings.live_url) : platform::WideToAnsi(m_strRecordingFile);
  const std::string command =
      BuildCaptureCommand(output, audio_device, settings.frame_rate, settings.video_width, settings.video_height,
                          settings.video_bitrate, settings.audio_bitrate, m_bLive ? settings.fluency_first : 0);
  m_bRemuxing = false;
  // 2: the system sound with the microphone mixed in by the device itself.
  bar_.SetMixedMicrophone(settings.sound_source == 2 ? platform::AnsiToWide(microphone) : std::wstring());
  StartRun(command, kWmEncoderEvent);
}

void RecordingWorkflow::StopRecording() {
  EndPause();
  bar_.RequestStop();
}

void RecordingWorkflow::FinishInterruptedRecording(const std::wstring& recording_file, const std::wstring& final_file) {
  // A run's own note names the recording it is writing: never one to finish.
  if (IsRunActive()) return;
  m_strRecordingFile = recording_file;
  m_strFinalFile = final_file;
  m_bLive = false;
  m_bPausable = false;
  m_bInterrupted = true;
  if (bar_.FileSize(recording_file) > 0) {
    StartRemux();
    return;
  }
  // Nothing to copy; whatever is there stays for the user to look at. A whole final file
  // means the copy was done and only its tidying up was cut off.
  bar_.ShowMessage(EndInterruptedCopy(bar_.IsCompleteMediaFile(final_file)));
}

void RecordingWorkflow::HandleRunReport(const RunEvent& event) {
  // Copied first: handling a run's last report may release the run that holds it.
  const int32_t kind = event.kind;
  const double value = event.value;
  const std::string text(event.text, strnlen(event.text, sizeof event.text - 1));
  m_nRunState = kind;
  ApplyRunEvent(kind, text, value);
}

void RecordingWorkflow::ApplyRunEvent(int32_t kind, const std::string& text, double value) {
  std::wstring notice;
  switch (kind) {
    case RUN_STARTING:
      ApplyRunStart();
      break;
    case RUN_PROGRESS:
      m_strLastTime = text.substr(0, kSettingsTextSize - 1);
      if (AreaButtonPauses()) bar_.EnableAreaButton(true);
      // While paused the line keeps the time of the pause.
      if (!m_bPaused)
        bar_.SetStatusText((m_bRemuxing ? L"检查格式 " : L"正在" + Word() + L" ") + platform::AnsiToWide(m_strLastTime),
                           false);
      break;
    case RUN_EXITED:
    case RUN_STOPPED:
    case RUN_FAILED:
      notice = ApplyRunEnd(kind, text, value);
      break;
    default:
      break;
  }
  bar_.RepaintStartButton();
  // Shown last, so that the bar already shows how the run ended.
  if (!notice.empty()) bar_.ShowMessage(notice);
}

void RecordingWorkflow::ApplyRunStart() {
  bar_.ConfigureLed(kLedGreen);
  bar_.SetStartButtonBitmap(kStopBitmap);
  bar_.SetStartButtonToolTip(L"停止" + Word());
  bar_.SetFrameLocked(true, kFrameCornerLocked);
  bar_.EnableAreaButton(false);
  ShowAreaButtonLook();
  if (m_bRemuxing) {
    bar_.EnableStartButton(false);
    bar_.SetStatusText(L"检查格式...", false);
  } else {
    bar_.SetStatusText(L"正在" + Word() + L"...", false);
    bar_.SlideBar(true);
  }
  m_strLastTime.clear();
}

std::wstring RecordingWorkflow::ApplyRunEnd(int32_t kind, const std::string& text, double value) {
  bar_.SetStartButtonBitmap(kStartBitmap);
  bar_.SetStartButtonToolTip(L"开始" + Word());
  bar_.SlideBar(false);
  bar_.SetFrameLocked(false, kFrameCornerFree);
  EndPause();
  ShowAreaButtonLook();
  bar_.EnableAreaButton(true);
  bar_.EnableStartButton(true);
  const std::wstring message = text.empty() ? FallbackStatusText(kind) : platform::AnsiToWide(text);
  const std::wstring stopped = L"已停止 " + platform::AnsiToWide(m_strLastTime);
  // A stopped recording goes on with its copy; every other end is the end of its files' work.
  const bool copy_follows = kind == RUN_STOPPED && !m_bRemuxing && !m_bLive;
  std::wstring notice;
  if (kind == RUN_FAILED) {
    bar_.ConfigureLed(kLedRed);
    bar_.SetStatusText(message, true);
    // A copy run that never started leaves the recording in the transport stream.
    if (m_bRemuxing) notice = RecordingKeptNotice();
  } else if (kind == RUN_STOPPED) {
    bar_.SetStatusText(stopped, false);
    if (!m_bRemuxing) StartRemux();
  } else if (m_bRemuxing) {
    m_bRemuxing = false;
    bar_.ConfigureLed(kLedGreen);
    notice = FinishRemux(value, stopped);
  } else {
    // A recording encoder that ends by itself has failed, whatever its exit code.
    bar_.SetStatusText(message, true);
  }
  bar_.HoldSteady();
  if (copy_follows) return notice;
  // Whatever else the end says, the user learns what became of the earlier recording.
  if (m_bInterrupted) return EndInterruptedCopy(kind == RUN_EXITED && CopyIsWhole(value));
  bar_.RemoveRecordingNote();
  return notice;
}

std::wstring RecordingWorkflow::EndInterruptedCopy(bool copy_whole) {
  m_bInterrupted = false;
  if (!copy_whole && bar_.FileSize(m_strRecordingFile) > 0) return RecordingKeptNotice();  // the note stays
  bar_.RemoveRecordingNote();
  return InterruptedRecordingNotice(copy_whole);
}

void RecordingWorkflow::StartRemux() {
  // A live stream leaves no file to copy.
  if (m_bLive) return;
  const std::string command =
      BuildRemuxCommand(platform::WideToAnsi(m_strRecordingFile), platform::WideToAnsi(m_strFinalFile));
  m_bRemuxing = true;
  StartRun(command, kWmRemuxEvent);
}

void RecordingWorkflow::StartRun(const std::string& command_line, unsigned notify_message) {
  // The state is "starting" before the launcher exists, so that a second press that comes
  // before the launcher's first report stops this run instead of starting another.
  m_nRunState = RUN_STARTING;
  ApplyRunEvent(RUN_STARTING, std::string());
  if (!bar_.StartEncoderRun(command_line, notify_message)) {
    m_nRunState = RUN_FAILED;
    ApplyRunEvent(RUN_FAILED, std::string());
  }
}

std::wstring RecordingWorkflow::FinishRemux(double exit_code, const std::wstring& stopped) {
  // The transport stream goes only once the copy is known to be whole: the encoder reports
  // success even when a full disk cut its final file short.
  if (CopyIsWhole(exit_code)) {
    bar_.SetStatusText(stopped, false);
    bar_.RemoveFile(m_strRecordingFile);
    return std::wstring();
  }
  // Gone while it was recorded (its folder removed, say): nothing could be copied or kept.
  if (bar_.FileSize(m_strRecordingFile) < 0) {
    bar_.SetStatusText(L"录制文件已丢失！", true);
    return std::wstring();
  }
  bar_.SetStatusText(stopped, false);
  return RecordingKeptNotice();
}

bool RecordingWorkflow::CopyIsWhole(double exit_code) {
  return exit_code == 0.0 && bar_.IsCompleteMediaFile(m_strFinalFile);
}

std::wstring RecordingWorkflow::RecordingKeptNotice() {
  if (bar_.FileSize(m_strRecordingFile) <= 0) return std::wstring();  // nothing was recorded
  return L"生成最终文件失败，录制内容仍保存在文件：\r\n" + m_strRecordingFile;
}

std::wstring RecordingWorkflow::InterruptedRecordingNotice(bool finished) const {
  if (finished) return L"上次录制没有正常结束，已为您生成录制文件：\r\n" + m_strFinalFile;
  return L"上次录制没有正常结束，以下录制文件无法恢复：\r\n" + m_strRecordingFile;
}

bool RecordingWorkflow::ChooseFileNames(const SettingsRecord& settings) {
  const std::wstring stamp = platform::AnsiToWide(MakeTimestampName(bar_.LocalTime()));
  const std::wstring first = platform::AnsiToWide(FieldText(settings.output_folder)) + L"\\" + stamp;
  // The encoder overwrites its output, so a name already in use would destroy a recording.
  auto taken = [this](const std::wstring& base) {
    return base == m_strLastBase || bar_.FileSize(base + L".ts") >= 0 || bar_.FileSize(base + L"_rec.mp4") >= 0 ||
           bar_.FileSize(base + L"_rec.ts") >= 0;
  };
  std::wstring base = first;
  for (int suffix = 2; taken(base); ++suffix) {
    if (suffix > kMaxNameSuffix) return false;
    base = first + L"_" + std::to_wstring(suffix);
  }
  m_strLastBase = base;
  m_strRecordingFile = base + L".ts";
  m_strFinalFile = base + (settings.save_format == 0 ? L"_rec.mp4" : L"_rec.ts");
  return true;
}

std::wstring RecordingWorkflow::Word() const { return m_bLive ? L"直播" : L"录制"; }
