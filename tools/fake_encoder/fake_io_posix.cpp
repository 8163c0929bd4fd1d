#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "fake_io.h"

void WriteRaw(bool to_stderr, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t count = write(to_stderr ? 2 : 1, bytes.data() + done, bytes.size() - done);
    if (count <= 0) return;
    done += static_cast<size_t>(count);
  }
}

size_t ReadStdin(char* buffer, size_t size) {
  const ssize_t count = read(0, buffer, size);
  return count > 0 ? static_cast<size_t>(count) : 0;
}

std::string OwnCommandLine(int argc, char** argv) {
  std::string line;
  for (int i = 0; i < argc; ++i) line += (i > 0 ? " " : "") + std::string(argv[i]);
  return line;
}

void SleepMs(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

void Crash() {
  kill(getpid(), SIGKILL);
  for (;;) pause();
}
