// The progress scan with any chunk of encoder output: no read outside the chunk, and a time
// found is 11 characters that follow a "time=" of the chunk, with no blank in them.
#include <cstring>
#include <string>

#include "engine/progress_scan.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // As the reader does: the buffer sized for the chunk, the chunk NUL-terminated.
  OutputChunkBuffer buffer;
  char* chunk = buffer.PrepareFor(size);
  if (size > 0) std::memcpy(chunk, data, size);
  chunk[size] = '\0';
  char time[kProgressTimeLength + 1];
  if (!FindProgressTime(chunk, time)) return 0;
  const std::string found(time);
  FUZZ_CHECK(found.size() == kProgressTimeLength && found.find(' ') == std::string::npos, Escaped(found));
  FUZZ_CHECK(std::strstr(chunk, ("time=" + found).c_str()) != nullptr, Escaped(found));
  return 0;
}
