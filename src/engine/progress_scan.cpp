#include "engine/progress_scan.h"

#include <cstring>

namespace {
constexpr char kTimeKey[] = "time=";
constexpr size_t kTimeKeyLength = sizeof kTimeKey - 1;
constexpr size_t kMinimumTailLength = 19;  // "time=", the time, a blank and two more characters
}  // namespace

bool FindProgressTime(const char* chunk, char (&time)[kProgressTimeLength + 1]) {
  const char* key = std::strstr(chunk, kTimeKey);
  if (key == nullptr || std::strlen(key) < kMinimumTailLength) return false;
  const char* value = key + kTimeKeyLength;
  const char* blank = std::strchr(value, ' ');
  if (blank == nullptr || static_cast<size_t>(blank - value) < kProgressTimeLength) return false;
  std::memcpy(time, value, kProgressTimeLength);
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
