#pragma once
// Finds the progress time in one chunk of encoder output. The output is not split into
// lines: a "time=" counts when the chunk goes on for more than 18 characters from it and at
// least 11 characters come before the next blank; the time is then the 11 characters after
// "time=" (HH:MM:SS.cc). Of several, the last that counts is taken; a line cut by the end of
// the chunk does not count.
#include <cstddef>

constexpr size_t kProgressTimeLength = 11;

// `chunk` is NUL-terminated. On success `time` holds the 11 characters and a NUL.
bool FindProgressTime(const char* chunk, char (&time)[kProgressTimeLength + 1]);

// The reader's buffer: starts at 1024 bytes and grows to the largest chunk plus one; it is
// never shrunk.
class OutputChunkBuffer {
 public:
  OutputChunkBuffer();
  ~OutputChunkBuffer();
  OutputChunkBuffer(const OutputChunkBuffer&) = delete;
  OutputChunkBuffer& operator=(const OutputChunkBuffer&) = delete;

  // Makes room for `size` bytes and a terminating NUL and clears the whole buffer.
  char* PrepareFor(size_t size);
  size_t capacity() const { return capacity_; }

 private:
  char* data_;
  size_t capacity_;
};
