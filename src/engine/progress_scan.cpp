#include "engine/progress_scan.h"

#include <cstring>

namespace {
constexpr char kTimeKey[] = "time=";
constexpr size_t kTimeKeyLength = sizeof kTimeKey - 1;
constexpr size_t kMinimumTailLength = 19;  // "time=", the time, a blank and two more characters
}  // namespace

namespace {
// The value after one "time=", when the output goes on far enough and no blank cuts it short.
const char* CompleteTimeAt(const char* key) {
  if (std::strlen(key) < kMinimumTailLength) return nullptr;
  const char* value = key + kTimeKeyLength;
  const char* blank = std::strchr(value, ' ');
  if (blank == nullptr || static_cast<size_t>(blank - value) < kProgressTimeLength) return nullptr;
  return value;
}
}  // namespace

bool FindProgressTime(const char* chunk, char (&time)[kProgressTimeLength + 1]) {
  // The encoder may print several progress lines between two reads (the copy run prints its
  // first and its last at once): the newest complete one is the one to show.
  const char* newest = nullptr;
  for (const char* key = std::strstr(chunk, kTimeKey); key != nullptr; key = std::strstr(key + 1, kTimeKey))
    if (const char* value = CompleteTimeAt(key)) newest = value;
  if (newest == nullptr) return false;
  std::memcpy(time, newest, kProgressTimeLength);
  time[kProgressTimeLength] = '\0';
  return true;
}

OutputChunkBuffer::OutputChunkBuffer() : data_(new char[1024]), capacity_(1024) {}

OutputChunkBuffer::~OutputChunkBuffer() { delete[] data_; }

char* OutputChunkBuffer::PrepareFor(size_t size) {
  if (size >= capacity_) {
    delete[] data_;
    capacity_ = size + 1;
    data_ = new char[capacity_];
  }
  std::memset(data_, 0, capacity_);
  return data_;
}
