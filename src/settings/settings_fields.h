#pragma once
// The settings record field by field, by name: how the settings tool prints and edits it.
#include <cstddef>
#include <string>
#include <vector>

#include "settings/settings_record.h"

namespace settings {

struct FieldInfo {
  const char* name;
  size_t offset;
  bool is_text;  // 256-byte ANSI text; otherwise a 32-bit integer
};

const std::vector<FieldInfo>& SettingsFields();
const FieldInfo* FindSettingsField(const std::string& name);

int32_t GetIntField(const SettingsRecord& record, const FieldInfo& field);
std::string GetTextField(const SettingsRecord& record, const FieldInfo& field);  // ANSI bytes

// Sets a field from text: a decimal integer, or ANSI bytes for a text field. Returns an
// error message, or an empty string on success. Texts must leave room for the terminator;
// the bytes after it are cleared.
std::string SetFieldFromText(SettingsRecord& record, const FieldInfo& field, const std::string& value);

}  // namespace settings
