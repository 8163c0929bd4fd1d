#pragma once
// What the settings dialog offers and how it reads its controls back into the settings
// record: the fixed choice lists, which entry shows a stored value, the device lists, and the
// checks and stores of its OK button in their order. No <windows.h> here.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "settings/settings_record.h"

namespace settings {

struct Choice {
  int32_t value;
  std::wstring label;
};

struct PictureSize {
  int32_t width;
  int32_t height;
};

// The fixed lists in their shown order; for the format and sound source lists the index is
// the stored value.
std::vector<std::wstring> SaveFormatChoices();
std::vector<std::wstring> SoundSourceChoices();
std::vector<PictureSize> PictureSizeChoices();
std::vector<Choice> VideoBitrateChoices();
std::vector<Choice> FrameRateChoices();
std::vector<Choice> AudioBitrateChoices();

// "原画幅（推荐）" for a width of 0, else "WIDTHxHEIGHT".
std::wstring PictureSizeLabel(const PictureSize& size);

// The entry that shows a stored value, else `fallback`.
int ChoiceIndex(const std::vector<Choice>& choices, int32_t value, int fallback);
int PictureSizeIndex(const std::vector<PictureSize>& sizes, int32_t width);
// An index stored as such: itself when it names an entry, else the first entry.
int StoredIndex(int32_t value, int count);

// The device names a list offers: every name except those containing `excluded` (the
// desktop or system-sound device the encoder reads).
std::vector<std::wstring> OfferedDeviceNames(const std::vector<std::wstring>& names, const std::wstring& excluded);

// The first entry beginning with `prefix`, letter case ignored, searched from the second entry
// onward and wrapping to the first; -1 when none does.
int FindEntryByPrefix(const std::vector<std::wstring>& entries, const std::wstring& prefix);

// The folder without its trailing backslashes.
std::wstring TrimTrailingBackslashes(std::wstring folder);

// What the dialog's controls hold when OK is pressed. Indexes are the selected entries of the
// fixed lists; a device list without a selection is empty.
struct SetupChoices {
  std::wstring folder;
  int format_index = 0;
  int size_index = 0;
  int video_bitrate_index = 0;
  int frame_rate_index = 0;
  int audio_bitrate_index = 0;
  int sound_source_index = 0;
  std::optional<std::wstring> camera;
  std::optional<std::wstring> microphone;
  int32_t camera_width = 0;  // chosen by the camera preview; 0 = none
  int32_t camera_height = 0;
  bool hide_after_start = false;
  bool live_enabled = false;
  std::wstring live_url;
  bool fluency_first = false;
};

// Why OK did not close the dialog: the message to show and whether the folder gets the focus.
struct SetupRefusal {
  std::wstring message;
  bool focus_folder = false;
};

// Stores the choices into the record field by field, in the dialog's order, stopping at the
// first refusal; the fields stored before it stay changed. A folder refusal comes before any
// store. `path_exists` tells whether a file or folder of that name exists.
std::optional<SetupRefusal> StoreSetupChoices(const SetupChoices& choices, SettingsRecord& record,
                                              const std::function<bool(const std::wstring&)>& path_exists);

}  // namespace settings
