#include "tools/qsettings/qsettings_core.h"

#include "platform/text_codepage.h"
#include "platform/utf8.h"
#include "settings/settings_fields.h"
#include "settings/settings_file.h"
#include "settings/settings_store.h"

namespace {

const char kUsage[] =
    "usage: qsettings [--file PATH] [field=value ...]\n"
    "  Without field=value arguments, prints every field of the settings file.\n"
    "  With them, sets those fields (the others keep their stored values) and saves.\n"
    "  Texts are given as Unicode and stored in code page 936.\n";

std::string Describe(const SettingsRecord& record) {
  std::string out;
  for (const settings::FieldInfo& field : settings::SettingsFields()) {
    out += field.name;
    out += '=';
    if (field.is_text) {
      out += platform::WideToUtf8(platform::AnsiToWide(settings::GetTextField(record, field)));
    } else {
      out += std::to_string(settings::GetIntField(record, field));
    }
    out += '\n';
  }
  return out;
}

}  // namespace

int RunSettingsTool(const std::vector<std::wstring>& args, std::string& out, std::string& err) {
  std::wstring path;
  std::vector<std::pair<std::string, std::wstring>> assignments;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::wstring& arg = args[i];
    if (arg == L"--file" && i + 1 < args.size()) {
      path = args[++i];
    } else if (arg == L"--help" || arg == L"-h") {
      out += kUsage;
      return 0;
    } else if (arg.find(L'=') != std::wstring::npos) {
      const size_t eq = arg.find(L'=');
      assignments.emplace_back(platform::WideToUtf8(arg.substr(0, eq)), arg.substr(eq + 1));
    } else {
      err += "qsettings: unexpected argument: " + platform::WideToUtf8(arg) + "\n" + kUsage;
      return 2;
    }
  }
  if (path.empty()) path = SettingsFilePath();

  SettingsRecord record;
  settings::ReadSettingsFile(path, record);
  if (assignments.empty()) {
    out += Describe(record);
    return 0;
  }
  for (const auto& [name, value] : assignments) {
    const settings::FieldInfo* field = settings::FindSettingsField(name);
    if (!field) {
      err += "qsettings: no such field: " + name + "\n";
      return 2;
    }
    const std::string problem = settings::SetFieldFromText(
        record, *field, field->is_text ? platform::WideToAnsi(value) : platform::WideToUtf8(value));
    if (!problem.empty()) {
      err += "qsettings: " + problem + "\n";
      return 2;
    }
  }
  if (!settings::WriteSettingsFile(path, record)) {
    err += "qsettings: cannot write " + platform::WideToUtf8(path) + "\n";
    return 1;
  }
  return 0;
}
