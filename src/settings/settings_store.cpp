#include "settings/settings_store.h"

#include "app/paths.h"
#include "settings/settings_file.h"

std::wstring SettingsFilePath() { return GetUserDataFolder() + L"config.cfg"; }

SettingsRecord* LoadSettings() {
  // Lives until the process ends; every reader and the settings dialog share it.
  static SettingsRecord* record = [] {
    auto* loaded = new SettingsRecord{};
    settings::ReadSettingsFile(SettingsFilePath(), *loaded);
    return loaded;
  }();
  return record;
}

bool SaveSettings(const SettingsRecord* record) {
  return settings::WriteSettingsFile(SettingsFilePath(), *record);
}
