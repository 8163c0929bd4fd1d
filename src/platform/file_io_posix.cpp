#include "platform/file_io.h"

#include "platform/utf8.h"

namespace platform {

std::FILE* OpenBinaryFile(const std::wstring& path, bool for_writing) {
  return std::fopen(WideToUtf8(path).c_str(), for_writing ? "wb" : "rb");
}

}  // namespace platform
