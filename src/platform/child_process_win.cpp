#include <windows.h>
#include <process.h>

#include <vector>

#include "platform/child_process.h"
#include "platform/text_codepage.h"

namespace platform {
namespace {

HANDLE AsHandle(std::intptr_t value) { return reinterpret_cast<HANDLE>(value); }
std::intptr_t AsValue(HANDLE handle) { return reinterpret_cast<std::intptr_t>(handle); }

bool CreateInheritablePipe(PipeHandle* read_end, PipeHandle* write_end) {
  SECURITY_ATTRIBUTES attributes = {};
  attributes.nLength = sizeof attributes;
  attributes.bInheritHandle = TRUE;
  attributes.lpSecurityDescriptor = nullptr;
  HANDLE read_handle = nullptr;
  HANDLE write_handle = nullptr;
  if (!CreatePipe(&read_handle, &write_handle, &attributes, 0)) return false;
  *read_end = AsValue(read_handle);
  *write_end = AsValue(write_handle);
  return true;
}

}  // namespace

bool CreateOutputPipe(PipeHandle* read_end, PipeHandle* write_end) {
  return CreateInheritablePipe(read_end, write_end);
}

bool CreateInputPipe(PipeHandle* read_end, PipeHandle* write_end) {
  if (!CreateInheritablePipe(read_end, write_end)) return false;
  // Only the caller may write: a child holding the write end would keep the pipe open.
  if (!SetHandleInformation(AsHandle(*write_end), HANDLE_FLAG_INHERIT, 0)) {
    ClosePipe(read_end);
    ClosePipe(write_end);
    return false;
  }
  return true;
}

void ClosePipe(PipeHandle* pipe) {
  if (*pipe == kNoPipe) return;
  CloseHandle(AsHandle(*pipe));
  *pipe = kNoPipe;
}

size_t PipeBytesAvailable(PipeHandle pipe) {
  DWORD available = 0;
  if (!PeekNamedPipe(AsHandle(pipe), nullptr, 0, nullptr, &available, nullptr)) return 0;
  return available;
}

size_t ReadPipe(PipeHandle pipe, char* buffer, size_t size) {
  DWORD count = 0;
  if (!ReadFile(AsHandle(pipe), buffer, static_cast<DWORD>(size), &count, nullptr)) return 0;
  return count;
}

bool WritePipe(PipeHandle pipe, const char* data, size_t size) {
  while (size > 0) {
    DWORD count = 0;
    if (!WriteFile(AsHandle(pipe), data, static_cast<DWORD>(size), &count, nullptr) || count == 0) return false;
    data += count;
    size -= count;
  }
  return true;
}

bool StartHiddenProcess(const std::string& ansi_command, PipeHandle stdin_read, PipeHandle output_write,
                        ChildProcess* child, const std::wstring& program) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoW(&startup);
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.wShowWindow = SW_HIDE;
  startup.hStdInput = AsHandle(stdin_read);
  startup.hStdOutput = AsHandle(output_write);
  startup.hStdError = AsHandle(output_write);

  // CreateProcessW may write into the command line, so it gets its own buffer.
  const std::wstring wide = AnsiToWide(ansi_command);
  std::vector<wchar_t> command(wide.begin(), wide.end());
  command.push_back(L'\0');
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(program.empty() ? nullptr : program.c_str(), command.data(), nullptr, nullptr, TRUE,
                      NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &info)) {
    return false;
  }
  child->process = AsValue(info.hProcess);
  child->thread = AsValue(info.hThread);
  return true;
}

bool WaitForProcess(ChildProcess* child, int milliseconds) {
  return WaitForSingleObject(AsHandle(child->process), static_cast<DWORD>(milliseconds)) != WAIT_TIMEOUT;
}

WakeSignal CreateWakeSignal() {
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  return event ? reinterpret_cast<WakeSignal>(event) : kNoWakeSignal;
}

void SetWakeSignal(WakeSignal signal) {
  if (signal != kNoWakeSignal) SetEvent(AsHandle(signal));
}

void CloseWakeSignal(WakeSignal* signal) {
  if (*signal == kNoWakeSignal) return;
  CloseHandle(AsHandle(*signal));
  *signal = kNoWakeSignal;
}

bool WaitForProcessOrWake(ChildProcess* child, WakeSignal signal, int milliseconds) {
  if (signal == kNoWakeSignal) return WaitForProcess(child, milliseconds);
  const HANDLE handles[2] = {AsHandle(child->process), AsHandle(signal)};
  return WaitForMultipleObjects(2, handles, FALSE, static_cast<DWORD>(milliseconds)) == WAIT_OBJECT_0;
}

void TerminateChildProcess(const ChildProcess& child, uint32_t exit_code) {
  TerminateProcess(AsHandle(child.process), exit_code);
}

uint32_t ProcessExitCode(const ChildProcess& child) {
  DWORD code = 0;
  if (!GetExitCodeProcess(AsHandle(child.process), &code)) return 1;
  return code;
}

void CloseProcess(ChildProcess* child) {
  if (child->thread != -1) CloseHandle(AsHandle(child->thread));
  if (child->process != -1) CloseHandle(AsHandle(child->process));
  child->thread = -1;
  child->process = -1;
}

void SleepMilliseconds(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

namespace {

struct ThreadStart {
  ThreadRoutine routine;
  void* argument;
};

unsigned __stdcall ThreadEntry(void* start_pointer) {
  ThreadStart start = *static_cast<ThreadStart*>(start_pointer);
  delete static_cast<ThreadStart*>(start_pointer);
  start.routine(start.argument);
  return 0;
}

// The C runtime's thread start, so that the runtime's per-thread data is set up and released.
HANDLE Start(ThreadRoutine routine, void* argument, bool suspended) {
  auto* start = new ThreadStart{routine, argument};
  const uintptr_t handle = _beginthreadex(nullptr, 0, ThreadEntry, start, suspended ? CREATE_SUSPENDED : 0, nullptr);
  if (handle == 0) {
    delete start;
    return nullptr;
  }
  return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

bool StartThread(ThreadRoutine routine, void* argument, ThreadHandle* thread) {
  HANDLE handle = Start(routine, argument, false);
  if (handle == nullptr) return false;
  *thread = AsValue(handle);
  return true;
}

void JoinThread(ThreadHandle thread) {
  WaitForSingleObject(AsHandle(thread), INFINITE);
  CloseHandle(AsHandle(thread));
}

bool StartDetachedThread(ThreadRoutine routine, void* argument, bool above_normal) {
  HANDLE handle = Start(routine, argument, true);
  if (handle == nullptr) return false;
  if (above_normal) SetThreadPriority(handle, THREAD_PRIORITY_ABOVE_NORMAL);
  ResumeThread(handle);
  CloseHandle(handle);
  return true;
}

}  // namespace platform
