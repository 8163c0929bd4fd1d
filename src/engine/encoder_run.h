#pragma once
// One run of the encoder: a child process whose standard output and standard error flow into
// a pipe, watched for progress times, stopped on request, and every step of its life posted
// as a report. Two threads serve a run: the launcher (RunEncoder), which creates the pipes and
// the process, waits for it and posts the final report, and the reader (ReadEncoderOutput),
// which polls the pipe.
//
// Stopping: the owner sets `stop_requested`. The launcher then writes "q" to the encoder's
// standard input, which makes it finish its file properly, and terminates it only if it is
// still running after a grace period. Either way the final report is RUN_STOPPED.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/run_event.h"
#include "platform/child_process.h"

struct EncoderRun;

// Delivers one report to `receiver` (a window on Windows, a test queue natively). On success
// the receiver owns `report` and releases it with ReleaseRunEvent; on failure the caller keeps
// it. Returns false when the report could not be delivered.
using ReportPoster = bool (*)(void* receiver, unsigned message, EncoderRun* run, RunEvent* report);

// Posts to a window (PostMessage; `receiver` is the HWND, wParam the run, lParam the report).
// Natively there is no window system and it always fails.
bool PostReportToWindow(void* receiver, unsigned message, EncoderRun* run, RunEvent* report);

using RunThreadRoutine = void (*)(EncoderRun* run);
void ReadEncoderOutput(EncoderRun* run);

struct EncoderRun {
  EncoderRun() : stop_signal(platform::CreateWakeSignal()) {}
  ~EncoderRun() { platform::CloseWakeSignal(&stop_signal); }
  EncoderRun(const EncoderRun&) = delete;
  EncoderRun& operator=(const EncoderRun&) = delete;

  platform::PipeHandle read_pipe = platform::kNoPipe;   // output pipe, read by the reader
  platform::PipeHandle write_pipe = platform::kNoPipe;  // the encoder's standard output and error
  std::atomic<int32_t> finished{0};                     // written by the launcher only; ends the reader's loop
  std::atomic<int32_t> stop_requested{0};               // written by the owner only
  std::string command_line;                             // ANSI
  std::wstring program;  // the encoder's full path; empty: the first token, by the system's search
  RunThreadRoutine reader = ReadEncoderOutput;
  unsigned notify_message = 0;  // kWmEncoderEvent or kWmRemuxEvent; 0 posts nothing
  void* notify_window = nullptr;
  ReportPoster post_report = PostReportToWindow;
  RunEvent event = {};  // the report last posted

  // The write end of the encoder's standard input, held by the launcher only.
  platform::PipeHandle input_pipe = platform::kNoPipe;
  // Set with stop_requested (RequestStop), so that the launcher acts on it at once.
  platform::WakeSignal stop_signal;
};

// The owner's stop: sets stop_requested and wakes the launcher.
void RequestStop(EncoderRun* run);

// How long an encoder that was asked to quit may take before it is terminated.
constexpr int kQuitGraceMilliseconds = 3000;

// The launcher thread routine. Nothing touches `run` after its final report.
void RunEncoder(EncoderRun* run);

// Starts RunEncoder on its own thread at above-normal priority, without waiting for it.
// False when the thread cannot be started (then nothing was posted).
bool StartEncoderRun(EncoderRun* run);

// Sets the run's report from `kind`, `value` and `text` (cut to 255 bytes; nullptr for none)
// and posts a copy of it. Does nothing when `notify_message` is 0. A copy that cannot be
// posted is released here.
void PostRunEvent(EncoderRun* run, RunEventKind kind, double value, const char* text);

// Receiver side: takes ownership of a posted report (for example from a message's lParam).
inline std::unique_ptr<RunEvent> AdoptRunEvent(std::intptr_t posted) {
  return std::unique_ptr<RunEvent>(reinterpret_cast<RunEvent*>(posted));
}
inline void ReleaseRunEvent(RunEvent* report) { delete report; }
