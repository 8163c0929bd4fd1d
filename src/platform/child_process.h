#pragma once
// The encoder's child process and its pipes, over opaque handles: HANDLE values on Windows,
// file descriptors (and a process id) on POSIX. The encoder runner is written once over these
// calls, so the same code runs on Windows and natively under ThreadSanitizer.
#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

using PipeHandle = std::intptr_t;
constexpr PipeHandle kNoPipe = -1;

// An anonymous pipe. For the output pipe both ends may be inherited by the child (it gets
// the write end as standard output and standard error). For the input pipe only the read end
// may be inherited; the write end stays with the caller. False when the system refuses.
bool CreateOutputPipe(PipeHandle* read_end, PipeHandle* write_end);
bool CreateInputPipe(PipeHandle* read_end, PipeHandle* write_end);
void ClosePipe(PipeHandle* pipe);  // closes and sets kNoPipe; kNoPipe is ignored

// Bytes that can be read without blocking; 0 on error or a closed pipe.
size_t PipeBytesAvailable(PipeHandle pipe);
// Reads up to `size` bytes (blocking until some are there); returns the count, 0 on error.
size_t ReadPipe(PipeHandle pipe, char* buffer, size_t size);
// Writes all bytes; false when the reader has gone or the write fails.
bool WritePipe(PipeHandle pipe, const char* data, size_t size);

struct ChildProcess {
  std::intptr_t process = -1;  // process handle, or process id
  std::intptr_t thread = -1;   // main thread handle (Windows only)
};

// Starts `ansi_command` with a hidden window, its standard input from `stdin_read` and both
// standard output and standard error into `output_write`, at normal priority, in the caller's
// environment and folder. The program is `program` when given (the command line's first token
// is then only the name it sees of itself), else the one the first token names, found by the
// system's search order.
bool StartHiddenProcess(const std::string& ansi_command, PipeHandle stdin_read, PipeHandle output_write,
                        ChildProcess* child, const std::wstring& program = std::wstring());
// Waits at most `milliseconds`; true when the process has ended.
bool WaitForProcess(ChildProcess* child, int milliseconds);

// A signal that one thread sets, once, to wake another out of its wait for a process at once.
using WakeSignal = std::intptr_t;
constexpr WakeSignal kNoWakeSignal = -1;
WakeSignal CreateWakeSignal();  // kNoWakeSignal when the system refuses
void SetWakeSignal(WakeSignal signal);
void CloseWakeSignal(WakeSignal* signal);  // closes and sets kNoWakeSignal
// As WaitForProcess, and also returns (false) as soon as `signal` is set.
bool WaitForProcessOrWake(ChildProcess* child, WakeSignal signal, int milliseconds);
// Ends the process at once with `exit_code`; it cannot refuse.
void TerminateChildProcess(const ChildProcess& child, uint32_t exit_code);
// The exit code of an ended process; 1 when it cannot be read. A process that crashed reads
// as failed: its exception code on Windows (0xC0000005, ...), 128 plus the signal on POSIX.
uint32_t ProcessExitCode(const ChildProcess& child);
void CloseProcess(ChildProcess* child);

void SleepMilliseconds(int milliseconds);

// Threads with a plain routine and argument.
using ThreadRoutine = void (*)(void* argument);
using ThreadHandle = std::intptr_t;
// A joinable thread at normal priority with the default stack size.
bool StartThread(ThreadRoutine routine, void* argument, ThreadHandle* thread);
void JoinThread(ThreadHandle thread);  // waits without a time limit and releases the handle
// A thread nobody waits for; `above_normal` raises its priority where the system allows.
bool StartDetachedThread(ThreadRoutine routine, void* argument, bool above_normal);

}  // namespace platform
