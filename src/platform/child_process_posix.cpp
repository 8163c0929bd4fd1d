#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/child_process.h"
#include "platform/command_args.h"
#include "platform/utf8.h"

extern char** environ;

namespace platform {
namespace {

// Output and input pipes alike: both ends close on exec; the child receives its ends as
// copies on descriptors 0, 1 and 2, which posix_spawn makes without that flag.
bool CreatePipe(PipeHandle* read_end, PipeHandle* write_end) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  *read_end = fds[0];
  *write_end = fds[1];
  return true;
}

struct ProcessState {
  pid_t pid;
  int pidfd;   // -1 where the kernel has no process descriptors
  int status;  // valid once `ended`
  bool ended;
  bool terminated = false;      // by TerminateChildProcess
  uint32_t terminate_code = 0;  // the exit code it was given
};

ProcessState* State(const ChildProcess& child) { return reinterpret_cast<ProcessState*>(child.process); }

bool Reap(ProcessState* state) {
  if (state->ended) return true;
  int status = 0;
  const pid_t result = waitpid(state->pid, &status, WNOHANG);
  if (result == state->pid || (result < 0 && errno == ECHILD)) {
    state->status = result == state->pid ? status : 0;
    state->ended = true;
  }
  return state->ended;
}

}  // namespace

bool CreateOutputPipe(PipeHandle* read_end, PipeHandle* write_end) { return CreatePipe(read_end, write_end); }
bool CreateInputPipe(PipeHandle* read_end, PipeHandle* write_end) { return CreatePipe(read_end, write_end); }

void ClosePipe(PipeHandle* pipe) {
  if (*pipe == kNoPipe) return;
  close(static_cast<int>(*pipe));
  *pipe = kNoPipe;
}

size_t PipeBytesAvailable(PipeHandle pipe) {
  int available = 0;
  if (ioctl(static_cast<int>(pipe), FIONREAD, &available) != 0 || available < 0) return 0;
  return static_cast<size_t>(available);
}

size_t ReadPipe(PipeHandle pipe, char* buffer, size_t size) {
  for (;;) {
    const ssize_t count = read(static_cast<int>(pipe), buffer, size);
    if (count >= 0) return static_cast<size_t>(count);
    if (errno != EINTR) return 0;
  }
}

bool WritePipe(PipeHandle pipe, const char* data, size_t size) {
  // A reader that has gone would raise SIGPIPE and end the whole program: keep it pending
  // on this thread and take it back.
  sigset_t pipe_signal, previous;
  sigemptyset(&pipe_signal);
  sigaddset(&pipe_signal, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipe_signal, &previous);
  bool ok = true;
  while (size > 0) {
    const ssize_t count = write(static_cast<int>(pipe), data, size);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) {
      ok = false;
      break;
    }
    data += count;
    size -= static_cast<size_t>(count);
  }
  if (!ok && errno == EPIPE) {
    const timespec no_wait = {0, 0};
    sigtimedwait(&pipe_signal, nullptr, &no_wait);
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  return ok;
}

bool StartHiddenProcess(const std::string& ansi_command, PipeHandle stdin_read, PipeHandle output_write,
                        ChildProcess* child, const std::wstring& program) {
  std::vector<std::string> arguments = SplitCommandLine(ansi_command);
  if (arguments.empty()) return false;
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, static_cast<int>(stdin_read), 0);
  posix_spawn_file_actions_adddup2(&actions, static_cast<int>(output_write), 1);
  posix_spawn_file_actions_adddup2(&actions, static_cast<int>(output_write), 2);
  pid_t pid = 0;
  const int result = program.empty()
                         ? posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ)
                         : posix_spawn(&pid, WideToUtf8(program).c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (result != 0) return false;

  int pidfd = -1;
#ifdef SYS_pidfd_open
  pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
#endif
  child->process = reinterpret_cast<std::intptr_t>(new ProcessState{pid, pidfd, 0, false});
  child->thread = -1;
  return true;
}

bool WaitForProcess(ChildProcess* child, int milliseconds) {
  ProcessState* state = State(*child);
  if (Reap(state)) return true;
  if (state->pidfd >= 0) {
    pollfd ready = {state->pidfd, POLLIN, 0};
    poll(&ready, 1, milliseconds);
    return Reap(state);
  }
  // Without process descriptors: look every 10 ms.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (std::chrono::steady_clock::now() < deadline) {
    SleepMilliseconds(10);
    if (Reap(state)) return true;
  }
  return Reap(state);
}

WakeSignal CreateWakeSignal() {
  const int fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  return fd >= 0 ? fd : kNoWakeSignal;
}

void SetWakeSignal(WakeSignal signal) {
  if (signal == kNoWakeSignal) return;
  const uint64_t one = 1;
  ssize_t written = write(static_cast<int>(signal), &one, sizeof one);
  static_cast<void>(written);  // a full counter is still set
}

void CloseWakeSignal(WakeSignal* signal) {
  if (*signal == kNoWakeSignal) return;
  close(static_cast<int>(*signal));
  *signal = kNoWakeSignal;
}

bool WaitForProcessOrWake(ChildProcess* child, WakeSignal signal, int milliseconds) {
  ProcessState* state = State(*child);
  if (signal == kNoWakeSignal) return WaitForProcess(child, milliseconds);
  if (Reap(state)) return true;
  // The signal is never reset, so reading readiness is enough. Without a process descriptor
  // the process is looked at every 10 ms.
  pollfd ready[2] = {{static_cast<int>(signal), POLLIN, 0}, {state->pidfd, POLLIN, 0}};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return Reap(state);
    const int slice =
        state->pidfd >= 0 ? static_cast<int>(left.count()) : std::min<int>(10, static_cast<int>(left.count()));
    poll(ready, state->pidfd >= 0 ? 2 : 1, slice);
    if (Reap(state)) return true;
    if (ready[0].revents & POLLIN) return false;
  }
}

void TerminateChildProcess(const ChildProcess& child, uint32_t exit_code) {
  ProcessState* state = State(child);
  if (state->ended) return;
  state->terminated = true;
  state->terminate_code = exit_code;
  kill(state->pid, SIGKILL);
}

uint32_t ProcessExitCode(const ChildProcess& child) {
  ProcessState* state = State(child);
  if (!state->ended) return 1;
  if (WIFEXITED(state->status)) return static_cast<uint32_t>(WEXITSTATUS(state->status));
  // Ended by a signal: the code it was terminated with when that was us, as on Windows;
  // otherwise it crashed or was killed, which must never read as success (a crashed copy
  // would cost the recording): 128 plus the signal's number, as shells report it.
  if (state->terminated && WIFSIGNALED(state->status) && WTERMSIG(state->status) == SIGKILL) return state->terminate_code;
  return 128 + static_cast<uint32_t>(WIFSIGNALED(state->status) ? WTERMSIG(state->status) : 0);
}

void CloseProcess(ChildProcess* child) {
  ProcessState* state = State(*child);
  if (state == nullptr || child->process == -1) return;
  if (state->pidfd >= 0) close(state->pidfd);
  delete state;
  child->process = -1;
}

void SleepMilliseconds(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

namespace {

struct ThreadStart {
  ThreadRoutine routine;
  void* argument;
};

void* ThreadEntry(void* start_pointer) {
  ThreadStart start = *static_cast<ThreadStart*>(start_pointer);
  delete static_cast<ThreadStart*>(start_pointer);
  start.routine(start.argument);
  return nullptr;
}

bool Start(ThreadRoutine routine, void* argument, pthread_t* thread) {
  auto* start = new ThreadStart{routine, argument};
  if (pthread_create(thread, nullptr, ThreadEntry, start) != 0) {
    delete start;
    return false;
  }
  return true;
}

}  // namespace

bool StartThread(ThreadRoutine routine, void* argument, ThreadHandle* thread) {
  pthread_t id;
  if (!Start(routine, argument, &id)) return false;
  *thread = static_cast<ThreadHandle>(id);
  return true;
}

void JoinThread(ThreadHandle thread) { pthread_join(static_cast<pthread_t>(thread), nullptr); }

bool StartDetachedThread(ThreadRoutine routine, void* argument, bool /*above_normal*/) {
  // Raising a thread's priority needs privileges here; the native build runs it at normal
  // priority.
  pthread_t id;
  if (!Start(routine, argument, &id)) return false;
  pthread_detach(id);
  return true;
}

}  // namespace platform
