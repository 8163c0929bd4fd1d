#pragma once
// Whether the final file a copy wrote is whole. The encoder reports success even when a full
// disk cut its output short, and the recording's transport stream may go only once its copy
// is whole.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// Reads exactly size bytes at offset into out; false when it cannot.
using ReadFileBytesAt = std::function<bool(int64_t offset, size_t size, unsigned char* out)>;

// True when a file of this length ends where its own structure says it ends: an MP4 whose
// top-level boxes run exactly to the end of the file and include its index ("moov"), or a
// transport stream of whole 188-byte packets (sync byte first and last). Anything else is
// not known to be whole.
bool IsCompleteMediaFile(int64_t length, const ReadFileBytesAt& read);

#ifdef _WIN32
// The same for a file on disk; false when it cannot be opened.
bool IsCompleteMediaFile(const std::wstring& path);
#endif
