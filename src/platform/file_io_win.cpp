#include "platform/file_io.h"

namespace platform {

std::FILE* OpenBinaryFile(const std::wstring& path, bool for_writing) {
  return _wfopen(path.c_str(), for_writing ? L"wb" : L"rb");
}

}  // namespace platform
