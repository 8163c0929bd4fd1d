#pragma once
// The little the fake encoder needs from the system: raw writes, raw reads of standard
// input, its own command line as the system gave it, and sleeping.
#include <cstddef>
#include <string>

// Writes the bytes in one system call, so that a reader sees them as one chunk.
void WriteRaw(bool to_stderr, const std::string& bytes);
// Reads standard input; 0 at its end or on error.
size_t ReadStdin(char* buffer, size_t size);
// The command line as one ANSI text (Windows: exactly as the process received it;
// POSIX: the arguments joined by blanks).
std::string OwnCommandLine(int argc, char** argv);
void SleepMs(int milliseconds);
// Ends the process the way a crash does: on Windows with the access violation's exit code
// (without the system's crash handler), on POSIX by a signal (SIGKILL, which no sanitizer
// handles in its place).
[[noreturn]] void Crash();
