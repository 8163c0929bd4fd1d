#include "platform/file_io.h"

#include <memory>

namespace platform {
namespace {
struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using ScopedFile = std::unique_ptr<std::FILE, FileCloser>;
}  // namespace

bool ReadFilePrefix(const std::wstring& path, size_t max_bytes, std::vector<unsigned char>& bytes) {
  ScopedFile file(OpenBinaryFile(path, false));
  if (!file) return false;
  bytes.resize(max_bytes);
  bytes.resize(std::fread(bytes.data(), 1, max_bytes, file.get()));
  return true;
}

bool WriteWholeFile(const std::wstring& path, const std::vector<unsigned char>& bytes) {
  ScopedFile file(OpenBinaryFile(path, true));
  if (!file) return false;
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file.get());
  return true;
}

}  // namespace platform
