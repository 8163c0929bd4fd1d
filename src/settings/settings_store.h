#pragma once
// The one process-wide settings record, read from "config.cfg" in the user's data folder
// on first use and written back whole on request. User-interface thread only.
#include <string>

#include "settings/settings_record.h"

// The first call reads the file; later calls return the same record without reading again.
SettingsRecord* LoadSettings();

// Writes the record to the settings file; false when the file cannot be opened for writing.
bool SaveSettings(const SettingsRecord* record);

// The settings file's full path.
std::wstring SettingsFilePath();
