#pragma once
// The user's settings: one flat 1072-byte record of little-endian 32-bit integers and
// 256-byte NUL-terminated texts in the ANSI code page (GBK). It is stored byte for byte in
// the settings file, so its layout must never change.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

constexpr size_t kSettingsTextSize = 256;

struct SettingsRecord {
  int32_t video_bitrate;    // kbit/s, 0 = the encoder chooses
  int32_t audio_bitrate;    // kbit/s, 0 = the encoder chooses
  int32_t frame_rate;       // below 1 is recorded at 25
  int32_t video_width;      // 0 = keep the captured size
  int32_t video_height;     // 0 = keep the captured size
  int32_t sound_source;     // 0 microphone, 1 system sound, 2 both mixed
  int32_t save_format;      // 0 MP4, otherwise TS
  char output_folder[kSettingsTextSize];    // no trailing backslash; empty = not configured
  char camera_name[kSettingsTextSize];      // empty = no camera
  char microphone_name[kSettingsTextSize];
  int32_t camera_width;
  int32_t camera_height;
  int32_t hide_after_start;  // non-zero: the bar slides away when a recording starts
  int32_t live_enabled;      // 1: stream to live_url instead of writing a file
  char live_url[kSettingsTextSize];
  int32_t fluency_first;     // 1: short key-frame intervals for live streams
};

// A text field up to its terminator, never beyond its 256 bytes: a settings file may hold a
// field without one.
inline std::string FieldText(const char (&field)[kSettingsTextSize]) {
  return std::string(field, strnlen(field, kSettingsTextSize));
}

static_assert(sizeof(SettingsRecord) == 1072, "the settings file holds exactly 1072 bytes");
static_assert(offsetof(SettingsRecord, video_bitrate) == 0, "layout");
static_assert(offsetof(SettingsRecord, audio_bitrate) == 4, "layout");
static_assert(offsetof(SettingsRecord, frame_rate) == 8, "layout");
static_assert(offsetof(SettingsRecord, video_width) == 12, "layout");
static_assert(offsetof(SettingsRecord, video_height) == 16, "layout");
static_assert(offsetof(SettingsRecord, sound_source) == 20, "layout");
static_assert(offsetof(SettingsRecord, save_format) == 24, "layout");
static_assert(offsetof(SettingsRecord, output_folder) == 28, "layout");
static_assert(offsetof(SettingsRecord, camera_name) == 284, "layout");
static_assert(offsetof(SettingsRecord, microphone_name) == 540, "layout");
static_assert(offsetof(SettingsRecord, camera_width) == 796, "layout");
static_assert(offsetof(SettingsRecord, camera_height) == 800, "layout");
static_assert(offsetof(SettingsRecord, hide_after_start) == 804, "layout");
static_assert(offsetof(SettingsRecord, live_enabled) == 808, "layout");
static_assert(offsetof(SettingsRecord, live_url) == 812, "layout");
static_assert(offsetof(SettingsRecord, fluency_first) == 1068, "layout");
