#pragma once
// The settings file format: the record's bytes as a text-mode stream writes them, every
// 0x0A stored as 0x0D 0x0A. The translation is done here, in binary mode, so that a 0x1A
// byte (a camera size of 1050 holds one) never ends reading early.
#include <string>
#include <vector>

#include "settings/settings_record.h"

namespace settings {

// Record bytes to file bytes: each 0x0A becomes 0x0D 0x0A.
std::vector<unsigned char> EncodeLineEnds(const unsigned char* data, size_t size);

// File bytes to record bytes: each 0x0D 0x0A becomes 0x0A, a lone 0x0D passes through.
// Stops after `capacity` bytes; returns how many were produced.
size_t DecodeLineEnds(const std::vector<unsigned char>& file_bytes, unsigned char* out, size_t capacity);

// Fills the record from the file; every byte the file does not supply is zero. False (and
// an all-zero record) when the file cannot be opened.
bool ReadSettingsFile(const std::wstring& path, SettingsRecord& record);

// Writes the whole record; false when the file cannot be opened for writing.
bool WriteSettingsFile(const std::wstring& path, const SettingsRecord& record);

}  // namespace settings
