#pragma once
// Whole-file reads and writes in binary mode, by UTF-16 path on Windows and by a path of
// the same characters on POSIX. Text-mode translations are the callers' business, so the
// bytes on disk are the same on both platforms.
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace platform {

// Opens a file in binary mode: for reading, or created/truncated for writing.
std::FILE* OpenBinaryFile(const std::wstring& path, bool for_writing);

// Reads at most max_bytes from the start of the file; false when it cannot be opened.
bool ReadFilePrefix(const std::wstring& path, size_t max_bytes, std::vector<unsigned char>& bytes);

// Creates or truncates the file and writes the bytes; false when it cannot be opened.
// The count actually written is not examined: a full disk leaves a short file.
bool WriteWholeFile(const std::wstring& path, const std::vector<unsigned char>& bytes);

}  // namespace platform
