// Measures the encoder runner against the fake encoder (not a test; run by hand):
//   engine_bench [RUNS] [LONG_RUN_SECONDS]
// 1. Stop latency over RUNS runs (20): from RequestStop to the RUN_STOPPED report,
//    for an encoder that obeys "q"; printed as min / median / max.
// 2. The runner's own CPU time during one run of LONG_RUN_SECONDS (60) against an encoder
//    printing a progress line every 100 ms, as a share of one core. The encoder's own time is
//    not counted: it is a separate process.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <thread>
#include <vector>

#include "app/paths.h"
#include "engine/encoder_run.h"
#include "platform/text_codepage.h"

namespace {

using Clock = std::chrono::steady_clock;

// Keeps the last report kind and the time it arrived.
struct Receiver {
  std::mutex lock;
  std::condition_variable arrived;
  int32_t last_kind = 0;
  int progress_reports = 0;
  Clock::time_point last_time;

  static bool Post(void* self_pointer, unsigned, EncoderRun*, RunEvent* report) {
    auto* self = static_cast<Receiver*>(self_pointer);
    std::lock_guard<std::mutex> hold(self->lock);
    self->last_kind = report->kind;
    if (report->kind == RUN_PROGRESS) ++self->progress_reports;
    self->last_time = Clock::now();
    ReleaseRunEvent(report);
    self->arrived.notify_all();
    return true;
  }

  void WaitFor(int32_t kind) {
    std::unique_lock<std::mutex> hold(lock);
    arrived.wait(hold, [&] { return last_kind == kind || last_kind == RUN_FAILED || last_kind == RUN_EXITED; });
  }
};

double ProcessCpuSeconds() {
  timespec now;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

std::string FakeEncoder(const char* arguments) {
  return "\"" + platform::WideToAnsi(GetProgramFolder()) + "fake_encoder\" " + arguments;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 20;
  const int long_run_seconds = argc > 2 ? std::atoi(argv[2]) : 60;

  std::vector<double> latencies;
  for (int i = 0; i < runs; ++i) {
    Receiver receiver;
    EncoderRun run;
    run.notify_message = kWmEncoderEvent;
    run.notify_window = &receiver;
    run.post_report = &Receiver::Post;
    run.command_line = FakeEncoder("--repeat 0 --every 100 --say \"frame=1 time=00:00:01.00 bitrate=1\\r\"");
    StartEncoderRun(&run);
    receiver.WaitFor(RUN_PROGRESS);
    // Stop at a different moment of the launcher's 500 ms wait each time.
    std::this_thread::sleep_for(std::chrono::milliseconds(300 + (i * 37) % 500));
    const auto stop_time = Clock::now();
    RequestStop(&run);
    receiver.WaitFor(RUN_STOPPED);
    latencies.push_back(std::chrono::duration<double, std::milli>(receiver.last_time - stop_time).count());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::sort(latencies.begin(), latencies.end());
  if (!latencies.empty()) {
    std::printf("stop latency over %d runs (ms): min %.0f  median %.0f  max %.0f\n", runs, latencies.front(),
                latencies[latencies.size() / 2], latencies.back());
  }

  Receiver receiver;
  EncoderRun run;
  run.notify_message = kWmEncoderEvent;
  run.notify_window = &receiver;
  run.post_report = &Receiver::Post;
  run.command_line = FakeEncoder(
      "--repeat 0 --every 100 --say \"frame=  25 fps= 25 q=28.0 size=     256kB time=00:00:01.00 "
      "bitrate= 209.7kbits/s speed=1.00x    \\r\"");
  const double cpu_before = ProcessCpuSeconds();
  const auto wall_before = Clock::now();
  StartEncoderRun(&run);
  std::this_thread::sleep_for(std::chrono::seconds(long_run_seconds));
  const double cpu = ProcessCpuSeconds() - cpu_before;
  const double wall = std::chrono::duration<double>(Clock::now() - wall_before).count();
  RequestStop(&run);
  receiver.WaitFor(RUN_STOPPED);
  std::printf("runner CPU time over a %.1f s run: %.3f s = %.3f%% of one core (%d progress reports)\n", wall, cpu,
              100.0 * cpu / wall, receiver.progress_reports);
  return 0;
}
