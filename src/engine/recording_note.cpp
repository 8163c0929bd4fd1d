#include "engine/recording_note.h"

#include "platform/utf8.h"

namespace {

const char kHeader[] = "[quorlin-recording]";
const char kRecordingKey[] = "recording=";
const char kFinalKey[] = "final=";
const char kCrLf[] = "\r\n";

bool IsDigits(const std::wstring& text, size_t from, size_t count) {
  if (from + count > text.size()) return false;
  for (size_t i = from; i < from + count; ++i)
    if (text[i] < L'0' || text[i] > L'9') return false;
  return true;
}

// "YYYYMMDDhhmmss", optionally followed by "_2" to "_99".
bool IsTimestampName(const std::wstring& name) {
  if (!IsDigits(name, 0, 14)) return false;
  if (name.size() == 14) return true;
  // One or two digits after the "_" (a damaged note may have none).
  if (name[14] != L'_' || name.size() < 16 || name.size() > 17 || !IsDigits(name, 15, name.size() - 15)) return false;
  int suffix = 0;
  for (size_t i = 15; i < name.size(); ++i) suffix = suffix * 10 + (name[i] - L'0');
  return suffix >= 2 && name[15] != L'0';
}

// A full path without control characters, forward slashes or "." and ".." steps.
bool IsPlainFullPath(const std::wstring& path) {
  const wchar_t letter = path.empty() ? 0 : static_cast<wchar_t>(path[0] | 0x20);
  const bool drive = path.size() > 3 && letter >= L'a' && letter <= L'z' && path[1] == L':' && path[2] == L'\\';
  const bool share = path.size() > 2 && path[0] == L'\\' && path[1] == L'\\';
  if (!drive && !share) return false;
  for (wchar_t c : path)
    if (c < 0x20 || c == L'/') return false;
  const std::wstring steps = L"\\" + path + L"\\";
  return steps.find(L"\\.\\") == std::wstring::npos && steps.find(L"\\..\\") == std::wstring::npos;
}

// The line starting at `at` without its CR LF; `at` moves past it. Nothing when there is no
// CR LF ending it or the line does not start with `key`.
std::optional<std::string> TakeLine(const std::string& bytes, size_t& at, const char* key) {
  const size_t end = bytes.find(kCrLf, at);
  if (end == std::string::npos) return std::nullopt;
  std::string line = bytes.substr(at, end - at);
  at = end + 2;
  const std::string prefix(key);
  if (line.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
  return line.substr(prefix.size());
}

// UTF-8 that converts back to the same bytes (no stray or overlong sequences).
std::optional<std::wstring> StrictUtf8(const std::string& bytes) {
  std::wstring wide = platform::Utf8ToWide(bytes);
  if (platform::WideToUtf8(wide) != bytes) return std::nullopt;
  return wide;
}

}  // namespace

std::string FormatRecordingNote(const RecordingNote& note) {
  return std::string(kHeader) + kCrLf + kRecordingKey + platform::WideToUtf8(note.recording_file) + kCrLf + kFinalKey +
         platform::WideToUtf8(note.final_file) + kCrLf;
}

std::optional<RecordingNote> ParseRecordingNote(const std::string& bytes) {
  if (bytes.size() > kMaxRecordingNoteBytes) return std::nullopt;
  size_t at = 0;
  const auto header = TakeLine(bytes, at, kHeader);
  if (!header || !header->empty()) return std::nullopt;
  const auto recording_utf8 = TakeLine(bytes, at, kRecordingKey);
  if (!recording_utf8) return std::nullopt;
  const auto final_utf8 = TakeLine(bytes, at, kFinalKey);
  if (!final_utf8 || at != bytes.size()) return std::nullopt;
  const auto recording = StrictUtf8(*recording_utf8);
  const auto final_file = StrictUtf8(*final_utf8);
  if (!recording || !final_file || !IsPlainFullPath(*recording)) return std::nullopt;

  const size_t slash = recording->rfind(L'\\');
  const std::wstring name = recording->substr(slash + 1);
  if (name.size() < 3 || name.compare(name.size() - 3, 3, L".ts") != 0) return std::nullopt;
  if (!IsTimestampName(name.substr(0, name.size() - 3))) return std::nullopt;
  const std::wstring base = recording->substr(0, recording->size() - 3);
  if (*final_file != base + L"_rec.mp4" && *final_file != base + L"_rec.ts") return std::nullopt;
  return RecordingNote{*recording, *final_file};
}
