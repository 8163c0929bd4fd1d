#include "settings/setup_rules.h"

#include <cstring>
#include <cwctype>

#include "platform/text_codepage.h"

namespace settings {

namespace {

const wchar_t kNoFolder[] = L"目标目录不存在！";
const wchar_t kNoMicrophone[] = L"请选择录音设备！";
const wchar_t kShortLiveUrl[] = L"请输入有效的直播地址！";
const wchar_t kWrongLiveScheme[] = L"请输入有效的直播地址！软件支持UDP协议和RTMP协议。";
const wchar_t kFolderTooLong[] = L"存放目录过长，无法保存！";
const wchar_t kCameraUnfit[] = L"采集设备的名称过长或含有无法保存的字符！";
const wchar_t kMicrophoneUnfit[] = L"录音设备的名称过长或含有无法保存的字符！";
const wchar_t kLiveUrlUnfit[] = L"直播地址过长或含有无法保存的字符！";

// The text in the ANSI code page when it converts back unchanged and fits a record text with
// its terminator; nothing is ever cut or replaced silently.
std::optional<std::string> RecordText(const std::wstring& text) {
  std::string ansi = platform::WideToAnsi(text);
  if (ansi.size() >= kSettingsTextSize || platform::AnsiToWide(ansi) != text) return std::nullopt;
  return ansi;
}

// Only the text and its terminator are written; the bytes after it keep what they held.
void StoreText(char (&field)[kSettingsTextSize], const std::string& ansi) {
  std::memcpy(field, ansi.c_str(), ansi.size() + 1);
}

// "麦克风" and "麦克风和扬声器" record a microphone.
bool NeedsMicrophone(const SettingsRecord& record) { return record.sound_source == 0 || record.sound_source == 2; }

bool StartsWith(const std::wstring& text, const wchar_t* prefix) { return text.rfind(prefix, 0) == 0; }

template <class T>
const T* At(const std::vector<T>& list, int index) {
  return index >= 0 && index < static_cast<int>(list.size()) ? &list[index] : nullptr;
}

}  // namespace

std::vector<std::wstring> SaveFormatChoices() { return {L"MP4格式文件", L"TS格式文件"}; }

std::vector<std::wstring> SoundSourceChoices() { return {L"麦克风", L"扬声器", L"麦克风和扬声器"}; }

std::vector<PictureSize> PictureSizeChoices() { return {{0, 0}, {1920, 1080}, {1280, 720}}; }

std::vector<Choice> VideoBitrateChoices() {
  return {{0, L"默认"}, {4000, L"4Mbps"}, {2000, L"2Mbps"}, {1200, L"1.2Mbps"}, {1000, L"1Mbps"}};
}

std::vector<Choice> FrameRateChoices() { return {{25, L"25帧"}, {20, L"20帧"}, {15, L"15帧"}, {10, L"10帧"}}; }

std::vector<Choice> AudioBitrateChoices() {
  return {{0, L"默认"}, {64, L"64Kbps"}, {96, L"96Kbps"}, {128, L"128Kbps"}};
}

std::wstring PictureSizeLabel(const PictureSize& size) {
  if (size.width == 0) return L"原画幅（推荐）";
  return std::to_wstring(size.width) + L"x" + std::to_wstring(size.height);
}

int ChoiceIndex(const std::vector<Choice>& choices, int32_t value, int fallback) {
  for (size_t i = 0; i < choices.size(); ++i)
    if (choices[i].value == value) return static_cast<int>(i);
  return fallback;
}

int PictureSizeIndex(const std::vector<PictureSize>& sizes, int32_t width) {
  for (size_t i = 0; i < sizes.size(); ++i)
    if (sizes[i].width == width) return static_cast<int>(i);
  return 0;
}

int StoredIndex(int32_t value, int count) { return value >= 0 && value < count ? value : 0; }

std::vector<std::wstring> OfferedDeviceNames(const std::vector<std::wstring>& names, const std::wstring& excluded) {
  std::vector<std::wstring> offered;
  for (const auto& name : names)
    if (name.find(excluded) == std::wstring::npos) offered.push_back(name);
  return offered;
}

int FindEntryByPrefix(const std::vector<std::wstring>& entries, const std::wstring& prefix) {
  const auto begins_with = [&prefix](const std::wstring& entry) {
    if (entry.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
      if (std::towlower(entry[i]) != std::towlower(prefix[i])) return false;
    return true;
  };
  const size_t count = entries.size();
  for (size_t step = 0; step < count; ++step) {
    const size_t i = (1 + step) % count;
    if (begins_with(entries[i])) return static_cast<int>(i);
  }
  return -1;
}

std::wstring TrimTrailingBackslashes(std::wstring folder) {
  while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  return folder;
}

std::optional<SetupRefusal> StoreSetupChoices(const SetupChoices& choices, SettingsRecord& record,
                                              const std::function<bool(const std::wstring&)>& path_exists) {
  // The folder: refused before anything is stored.
  if (choices.folder.size() >= kSettingsTextSize - 1) return SetupRefusal{kNoFolder, true};
  if (platform::AnsiToWide(platform::WideToAnsi(choices.folder)) != choices.folder || !path_exists(choices.folder))
    return SetupRefusal{kNoFolder, true};
  const std::optional<std::string> folder = RecordText(TrimTrailingBackslashes(choices.folder));
  if (!folder) return SetupRefusal{kFolderTooLong, true};
  StoreText(record.output_folder, *folder);

  const auto sizes = PictureSizeChoices();
  const auto video_bitrates = VideoBitrateChoices();
  const auto frame_rates = FrameRateChoices();
  const auto audio_bitrates = AudioBitrateChoices();
  if (const PictureSize* size = At(sizes, choices.size_index)) {
    record.video_width = size->width;
    record.video_height = size->height;
  }
  if (const Choice* c = At(video_bitrates, choices.video_bitrate_index)) record.video_bitrate = c->value;
  if (const Choice* c = At(frame_rates, choices.frame_rate_index)) record.frame_rate = c->value;
  if (const Choice* c = At(audio_bitrates, choices.audio_bitrate_index)) record.audio_bitrate = c->value;
  record.save_format = StoredIndex(choices.format_index, static_cast<int>(SaveFormatChoices().size()));
  record.sound_source = StoredIndex(choices.sound_source_index, static_cast<int>(SoundSourceChoices().size()));

  bool camera_changed = false;
  if (choices.camera) {
    const std::optional<std::string> camera = RecordText(*choices.camera);
    if (!camera) return SetupRefusal{kCameraUnfit};
    camera_changed = *camera != FieldText(record.camera_name);
    StoreText(record.camera_name, *camera);
  }

  if (choices.microphone) {
    const std::optional<std::string> microphone = RecordText(*choices.microphone);
    if (microphone) {
      StoreText(record.microphone_name, *microphone);
    } else if (NeedsMicrophone(record)) {
      return SetupRefusal{kMicrophoneUnfit};
    }
    // A microphone that is not used and cannot be stored leaves the stored name as it is: a
    // drop-down cannot be cleared, and refusing would keep every other setting from being saved.
  } else if (NeedsMicrophone(record)) {
    return SetupRefusal{kNoMicrophone};
  }

  if (choices.camera_width > 0 && choices.camera_height > 0) {
    record.camera_width = choices.camera_width;
    record.camera_height = choices.camera_height;
  } else if (camera_changed) {
    // One camera's size is never applied to another.
    record.camera_width = 0;
    record.camera_height = 0;
  }

  record.hide_after_start = choices.hide_after_start ? 1 : 0;

  if (choices.live_enabled) {
    record.live_enabled = 1;
    const std::wstring& url = choices.live_url;
    if (url.size() < 12) return SetupRefusal{kShortLiveUrl};
    if (!StartsWith(url, L"rtmp://") && !StartsWith(url, L"udp://")) return SetupRefusal{kWrongLiveScheme};
    const std::optional<std::string> ansi_url = RecordText(url);
    if (!ansi_url) return SetupRefusal{kLiveUrlUnfit};
    StoreText(record.live_url, *ansi_url);
    record.fluency_first = choices.fluency_first ? 1 : 0;
  } else {
    record.live_enabled = 0;
  }
  return std::nullopt;
}

}  // namespace settings
