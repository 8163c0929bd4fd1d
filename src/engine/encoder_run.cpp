#include "engine/encoder_run.h"

#include <chrono>
#include <cstring>

#include "engine/progress_scan.h"

namespace {

// "创建通道失败" and "创建进程失败" in code page 936.
constexpr char kPipeFailedText[] = "\xB4\xB4\xBD\xA8\xCD\xA8\xB5\xC0\xCA\xA7\xB0\xDC";
constexpr char kProcessFailedText[] = "\xB4\xB4\xBD\xA8\xBD\xF8\xB3\xCC\xCA\xA7\xB0\xDC";

constexpr int kWaitSliceMilliseconds = 500;
constexpr int kAfterTerminateMilliseconds = 100;
constexpr int kPollMilliseconds = 50;

void ReaderEntry(void* run) {
  auto* encoder_run = static_cast<EncoderRun*>(run);
  encoder_run->reader(encoder_run);
}

void ClosePipes(EncoderRun* run) {
  platform::ClosePipe(&run->write_pipe);
  platform::ClosePipe(&run->read_pipe);
  platform::ClosePipe(&run->input_pipe);
}

// Waits for the process in bounded slices, woken at once by a stop request: first "q" on the
// encoder's standard input, then, after the grace period, termination (repeated until the
// process is gone).
void WaitForEncoder(EncoderRun* run, platform::ChildProcess* child) {
  using Clock = std::chrono::steady_clock;
  bool quit_sent = false;
  Clock::time_point terminate_after;
  for (;;) {
    if (run->stop_requested != 0) {
      if (!quit_sent) {
        platform::WritePipe(run->input_pipe, "q", 1);
        quit_sent = true;
        terminate_after = Clock::now() + std::chrono::milliseconds(kQuitGraceMilliseconds);
      } else if (Clock::now() >= terminate_after) {
        platform::TerminateChildProcess(*child, 0);
        platform::SleepMilliseconds(kAfterTerminateMilliseconds);
      }
    }
    // Once "q" is out the signal has done its work: only the process is waited for.
    const bool ended = quit_sent ? platform::WaitForProcess(child, kWaitSliceMilliseconds)
                                 : platform::WaitForProcessOrWake(child, run->stop_signal, kWaitSliceMilliseconds);
    if (ended) return;
  }
}

}  // namespace

void RequestStop(EncoderRun* run) {
  run->stop_requested = 1;
  platform::SetWakeSignal(run->stop_signal);
}

void PostRunEvent(EncoderRun* run, RunEventKind kind, double value, const char* text) {
  if (run->notify_message == 0) return;
  run->event.kind = kind;
  run->event.value = value;
  std::memset(run->event.text, 0, sizeof run->event.text);
  if (text != nullptr) std::strncpy(run->event.text, text, sizeof run->event.text - 1);
  auto* copy = new RunEvent(run->event);
  if (!run->post_report(run->notify_window, run->notify_message, run, copy)) ReleaseRunEvent(copy);
}

void RunEncoder(EncoderRun* run) {
  platform::PipeHandle input_read = platform::kNoPipe;
  if (!platform::CreateOutputPipe(&run->read_pipe, &run->write_pipe)) {
    PostRunEvent(run, RUN_FAILED, -1.0, kPipeFailedText);
    return;
  }
  if (!platform::CreateInputPipe(&input_read, &run->input_pipe)) {
    ClosePipes(run);
    PostRunEvent(run, RUN_FAILED, -1.0, kPipeFailedText);
    return;
  }

  PostRunEvent(run, RUN_STARTING, 0.0, nullptr);
  platform::ChildProcess child;
  const bool started =
      platform::StartHiddenProcess(run->command_line, input_read, run->write_pipe, &child, run->program);
  platform::ClosePipe(&input_read);  // the child has its own copy
  if (!started) {
    ClosePipes(run);
    PostRunEvent(run, RUN_FAILED, -1.0, kProcessFailedText);
    return;
  }

  platform::ThreadHandle reader = 0;
  const bool reader_started = platform::StartThread(ReaderEntry, run, &reader);

  WaitForEncoder(run, &child);
  const uint32_t exit_code = platform::ProcessExitCode(child);
  // All the encoder wrote is in the pipe now: the reader takes it in its last poll.
  run->finished = 1;
  platform::CloseProcess(&child);
  if (reader_started) platform::JoinThread(reader);
  ClosePipes(run);

  if (run->stop_requested != 0) {
    PostRunEvent(run, RUN_STOPPED, 0.0, nullptr);
  } else {
    PostRunEvent(run, RUN_EXITED, static_cast<double>(exit_code), nullptr);
  }
}

void ReadEncoderOutput(EncoderRun* run) {
  OutputChunkBuffer buffer;
  PostRunEvent(run, RUN_PROGRESS, 0.0, nullptr);
  for (;;) {
    // Seen before the pipe is read: once the encoder has ended, the reads that follow take its
    // last output, until the pipe is empty.
    const bool ended = run->finished != 0;
    const size_t available = platform::PipeBytesAvailable(run->read_pipe);
    size_t count = 0;
    if (available > 0) {
      char* chunk = buffer.PrepareFor(available);
      count = platform::ReadPipe(run->read_pipe, chunk, available);
      chunk[count] = '\0';
      char time[kProgressTimeLength + 1];
      if (FindProgressTime(chunk, time)) PostRunEvent(run, RUN_PROGRESS, 0.0, time);
    }
    if (ended && count == 0) break;
    if (!ended) platform::SleepMilliseconds(kPollMilliseconds);
  }
}

namespace {
void LauncherEntry(void* run) { RunEncoder(static_cast<EncoderRun*>(run)); }
}  // namespace

bool StartEncoderRun(EncoderRun* run) { return platform::StartDetachedThread(LauncherEntry, run, true); }
