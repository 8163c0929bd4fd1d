#include "settings/settings_file.h"

#include <cstring>

#include "platform/file_io.h"

namespace settings {

std::vector<unsigned char> EncodeLineEnds(const unsigned char* data, size_t size) {
  std::vector<unsigned char> out;
  out.reserve(size + 16);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0x0A) out.push_back(0x0D);
    out.push_back(data[i]);
  }
  return out;
}

size_t DecodeLineEnds(const std::vector<unsigned char>& file_bytes, unsigned char* out, size_t capacity) {
  size_t produced = 0;
  for (size_t i = 0; i < file_bytes.size() && produced < capacity; ++i) {
    if (file_bytes[i] == 0x0D && i + 1 < file_bytes.size() && file_bytes[i + 1] == 0x0A) continue;
    out[produced++] = file_bytes[i];
  }
  return produced;
}

bool ReadSettingsFile(const std::wstring& path, SettingsRecord& record) {
  std::memset(&record, 0, sizeof record);
  // Each record byte takes at most two file bytes.
  std::vector<unsigned char> file_bytes;
  if (!platform::ReadFilePrefix(path, 2 * sizeof record, file_bytes)) return false;
  DecodeLineEnds(file_bytes, reinterpret_cast<unsigned char*>(&record), sizeof record);
  return true;
}

bool WriteSettingsFile(const std::wstring& path, const SettingsRecord& record) {
  return platform::WriteWholeFile(path, EncodeLineEnds(reinterpret_cast<const unsigned char*>(&record), sizeof record));
}

}  // namespace settings
