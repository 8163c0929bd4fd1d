#include <windows.h>

#include "engine/media_file_check.h"

namespace {

class ScopedFileHandle {
 public:
  explicit ScopedFileHandle(HANDLE opened) : handle(opened) {}
  ScopedFileHandle(const ScopedFileHandle&) = delete;
  ScopedFileHandle& operator=(const ScopedFileHandle&) = delete;
  ~ScopedFileHandle() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
  const HANDLE handle;
};

}  // namespace

bool IsCompleteMediaFile(const std::wstring& path) {
  ScopedFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER length;
  if (file.handle == INVALID_HANDLE_VALUE || !GetFileSizeEx(file.handle, &length)) return false;
  return IsCompleteMediaFile(length.QuadPart, [&file](int64_t offset, size_t size, unsigned char* out) {
    LARGE_INTEGER position;
    position.QuadPart = offset;
    DWORD read = 0;
    return SetFilePointerEx(file.handle, position, nullptr, FILE_BEGIN) &&
           ReadFile(file.handle, out, static_cast<DWORD>(size), &read, nullptr) && read == size;
  });
}
