#include "settings/settings_fields.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace settings {

#define QUORLIN_INT_FIELD(name) {#name, offsetof(SettingsRecord, name), false}
#define QUORLIN_TEXT_FIELD(name) {#name, offsetof(SettingsRecord, name), true}

const std::vector<FieldInfo>& SettingsFields() {
  static const std::vector<FieldInfo> fields = {
      QUORLIN_INT_FIELD(video_bitrate),    QUORLIN_INT_FIELD(audio_bitrate),
      QUORLIN_INT_FIELD(frame_rate),       QUORLIN_INT_FIELD(video_width),
      QUORLIN_INT_FIELD(video_height),     QUORLIN_INT_FIELD(sound_source),
      QUORLIN_INT_FIELD(save_format),      QUORLIN_TEXT_FIELD(output_folder),
      QUORLIN_TEXT_FIELD(camera_name),     QUORLIN_TEXT_FIELD(microphone_name),
      QUORLIN_INT_FIELD(camera_width),     QUORLIN_INT_FIELD(camera_height),
      QUORLIN_INT_FIELD(hide_after_start), QUORLIN_INT_FIELD(live_enabled),
      QUORLIN_TEXT_FIELD(live_url),        QUORLIN_INT_FIELD(fluency_first),
  };
  return fields;
}

#undef QUORLIN_INT_FIELD
#undef QUORLIN_TEXT_FIELD

const FieldInfo* FindSettingsField(const std::string& name) {
  for (const FieldInfo& field : SettingsFields()) {
    if (name == field.name) return &field;
  }
  return nullptr;
}

int32_t GetIntField(const SettingsRecord& record, const FieldInfo& field) {
  int32_t value;
  std::memcpy(&value, reinterpret_cast<const char*>(&record) + field.offset, sizeof value);
  return value;
}

std::string GetTextField(const SettingsRecord& record, const FieldInfo& field) {
  const char* text = reinterpret_cast<const char*>(&record) + field.offset;
  return std::string(text, strnlen(text, kSettingsTextSize));
}

std::string SetFieldFromText(SettingsRecord& record, const FieldInfo& field, const std::string& value) {
  char* target = reinterpret_cast<char*>(&record) + field.offset;
  if (field.is_text) {
    if (value.size() >= kSettingsTextSize) return std::string(field.name) + ": text longer than 255 bytes";
    if (value.find('\0') != std::string::npos) return std::string(field.name) + ": text contains a NUL byte";
    std::memset(target, 0, kSettingsTextSize);
    std::memcpy(target, value.data(), value.size());
    return {};
  }
  errno = 0;
  char* end = nullptr;
  const long long number = std::strtoll(value.c_str(), &end, 10);
  if (value.empty() || *end != '\0' || errno != 0 || number < INT32_MIN || number > INT32_MAX) {
    return std::string(field.name) + ": not a 32-bit integer: " + value;
  }
  const int32_t narrow = static_cast<int32_t>(number);
  std::memcpy(target, &narrow, sizeof narrow);
  return {};
}

}  // namespace settings
