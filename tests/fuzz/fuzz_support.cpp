#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <set>

#include "platform/utf8.h"
#include "windows_arguments.h"

namespace {
std::set<std::string> g_scratch_files;
void RemoveScratchFiles() {
  for (const std::string& path : g_scratch_files) std::remove(path.c_str());
}
}  // namespace

std::wstring ScratchFile(const char* tag, const uint8_t* bytes, size_t size) {
  // In memory where there is such a folder: the fuzzer writes it many thousand times.
  const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : std::getenv("TMPDIR");
  const std::string path = std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") + "/quorlin-fuzz-" +
                           std::to_string(getpid()) + "-" + tag;
  if (g_scratch_files.empty()) std::atexit(RemoveScratchFiles);
  g_scratch_files.insert(path);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) PropertyFailed("scratch file", path);
  if (size > 0) std::fwrite(bytes, 1, size, file);
  std::fclose(file);
  return platform::Utf8ToWide(path);
}

void PropertyFailed(const char* what, const std::string& detail) {
  std::fprintf(stderr, "property failed: %s\n%s\n", what, detail.c_str());
  std::abort();
}

std::string ExpectedArgument(const std::string& value, unsigned code_page) {
  std::string expected = value;
  for (size_t i = 0; i < expected.size(); ++i) {
    if (!IsLeadByteOf(code_page, static_cast<unsigned char>(expected[i]))) continue;
    if (i + 1 == expected.size()) expected[i] = '?';
    ++i;
  }
  return expected;
}

std::string Escaped(const std::string& bytes) {
  std::string out;
  for (unsigned char byte : bytes) {
    if (byte >= 0x20 && byte < 0x7F) {
      out.push_back(static_cast<char>(byte));
    } else {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", byte);
      out += hex;
    }
  }
  return out;
}
