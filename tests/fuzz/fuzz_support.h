#pragma once
// What the fuzz targets share: taking values from the fuzzer's bytes, a scratch file for the
// readers that read files, and how a property failure is reported (an abort, which the
// fuzzer records as a crash with its input).
#include <cstddef>
#include <cstdint>
#include <string>

class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t Byte() { return offset_ < size_ ? data_[offset_++] : 0; }
  int32_t Int() {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = value << 8 | Byte();
    return static_cast<int32_t>(value);
  }
  // A text up to the next 0x00 byte, or to the end: settings texts and paths are C strings.
  std::string Text() {
    std::string text;
    while (offset_ < size_ && data_[offset_] != 0) text.push_back(static_cast<char>(data_[offset_++]));
    if (offset_ < size_) ++offset_;
    return text;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t offset_ = 0;
};

// A file of this process's own for the readers under test, written with `bytes`.
std::wstring ScratchFile(const char* tag, const uint8_t* bytes, size_t size);

// Prints what failed and aborts.
[[noreturn]] void PropertyFailed(const char* what, const std::string& detail);
#define FUZZ_CHECK(condition, detail) \
  do {                                \
    if (!(condition)) PropertyFailed(#condition, detail); \
  } while (0)

// `value` as the encoder must get it back in `code_page`: a lead byte cut off at its end, half
// a character, becomes "?".
std::string ExpectedArgument(const std::string& value, unsigned code_page);

// Printable form of bytes for failure reports (non-ASCII as \xNN).
std::string Escaped(const std::string& bytes);
