#include <windows.h>

#include "fake_io.h"
#include "platform/text_codepage.h"

void WriteRaw(bool to_stderr, const std::string& bytes) {
  DWORD written = 0;
  WriteFile(GetStdHandle(to_stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE), bytes.data(),
            static_cast<DWORD>(bytes.size()), &written, nullptr);
}

size_t ReadStdin(char* buffer, size_t size) {
  DWORD count = 0;
  if (!ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, static_cast<DWORD>(size), &count, nullptr)) return 0;
  return count;
}

std::string OwnCommandLine(int /*argc*/, char** /*argv*/) { return platform::WideToAnsi(GetCommandLineW()); }

void SleepMs(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

void Crash() {
  TerminateProcess(GetCurrentProcess(), 0xC0000005);  // EXCEPTION_ACCESS_VIOLATION
  for (;;) Sleep(INFINITE);
}
