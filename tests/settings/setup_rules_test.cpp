// What the settings dialog shows for stored values and what its OK button stores, refuses and
// leaves alone.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "platform/text_codepage.h"
#include "settings/setup_rules.h"

using namespace settings;

namespace {

// A first run: every field zero, the Videos folder proposed, every list at its default.
SetupChoices FirstRunChoices() {
  SetupChoices c;
  c.folder = L"C:\\users\\Public\\Videos\\";
  c.frame_rate_index = 1;
  c.camera = L"Quorlin Test Camera";
  c.microphone = L"Quorlin Test Microphone";
  c.camera_width = 1280;
  c.camera_height = 720;
  return c;
}

const std::set<std::wstring> kExisting = {L"C:\\users\\Public\\Videos\\", L"D:\\\\\\", L"\\", L"C:\\录像"};
bool Exists(const std::wstring& path) { return kExisting.count(path) > 0; }

SettingsRecord Zero() {
  SettingsRecord record;
  std::memset(&record, 0, sizeof record);
  return record;
}

}  // namespace

TEST(SetupLists, StoredValuesSelectTheirEntryOrTheDefault) {
  EXPECT_EQ(PictureSizeLabel(PictureSizeChoices()[0]), L"原画幅（推荐）");
  EXPECT_EQ(PictureSizeLabel(PictureSizeChoices()[2]), L"1280x720");
  // A zero record shows "默认", "20帧", "默认"; values outside the lists show the defaults.
  EXPECT_EQ(ChoiceIndex(VideoBitrateChoices(), 0, 0), 0);
  EXPECT_EQ(ChoiceIndex(VideoBitrateChoices(), 1200, 0), 3);
  EXPECT_EQ(ChoiceIndex(FrameRateChoices(), 0, 1), 1);
  EXPECT_EQ(ChoiceIndex(FrameRateChoices(), 10, 1), 3);
  EXPECT_EQ(ChoiceIndex(AudioBitrateChoices(), 128, 0), 3);
  EXPECT_EQ(PictureSizeIndex(PictureSizeChoices(), 1920), 1);
  EXPECT_EQ(PictureSizeIndex(PictureSizeChoices(), 640), 0);
  EXPECT_EQ(StoredIndex(1, 2), 1);
  EXPECT_EQ(StoredIndex(3, 2), 0);
  EXPECT_EQ(StoredIndex(-1, 2), 0);
}

TEST(SetupLists, DeviceListsLeaveOutTheEncodersDevicesAndSelectByPrefix) {
  EXPECT_EQ(OfferedDeviceNames({L"Quorlin Test Camera", L"screen-capture-recorder", L"my screen-capture-recorder 2"},
                               L"screen-capture-recorder"),
            std::vector<std::wstring>{L"Quorlin Test Camera"});

  const std::vector<std::wstring> entries = {L"Camera A", L"camera B", L"Mic"};
  EXPECT_EQ(FindEntryByPrefix(entries, L"CAMERA"), 1);    // from the second entry onward
  EXPECT_EQ(FindEntryByPrefix(entries, L"camera a"), 0);  // wrapping to the first
  EXPECT_EQ(FindEntryByPrefix(entries, L"Mic"), 2);
  EXPECT_EQ(FindEntryByPrefix(entries, L"Mice"), -1);
  EXPECT_EQ(FindEntryByPrefix({}, L"Mic"), -1);
}

TEST(SetupOk, FirstRunStoresTheProposedFolderAndTheDefaults) {
  SettingsRecord record = Zero();
  ASSERT_FALSE(StoreSetupChoices(FirstRunChoices(), record, Exists));
  EXPECT_STREQ(record.output_folder, "C:\\users\\Public\\Videos");
  EXPECT_EQ(record.frame_rate, 20);
  EXPECT_EQ(record.video_bitrate, 0);
  EXPECT_EQ(record.video_width, 0);
  EXPECT_EQ(record.sound_source, 0);
  EXPECT_STREQ(record.camera_name, "Quorlin Test Camera");
  EXPECT_STREQ(record.microphone_name, "Quorlin Test Microphone");
  EXPECT_EQ(record.camera_width, 1280);
  EXPECT_EQ(record.camera_height, 720);
  EXPECT_EQ(record.live_enabled, 0);
}

TEST(SetupOk, FoldersAreStoredWithoutTrailingBackslashesOrRefusedWithoutAnyStore) {
  struct Case {
    std::wstring folder;
    const char* stored;  // nullptr: refused
    const wchar_t* message;
  };
  const std::wstring wide_long(200, L'录');  // 200 characters, 400 bytes in the code page
  const Case cases[] = {
      {L"D:\\\\\\", "D:", nullptr},
      {L"\\", "", nullptr},                            // the current drive's root names no folder: asked for again
      {L"C:\\录像", "C:\\\xC2\xBC\xCF\xF1", nullptr},  // in the ANSI code page
      {L"C:\\missing", nullptr, L"目标目录不存在！"},
      {L"", nullptr, L"目标目录不存在！"},
      {std::wstring(255, L'a'), nullptr, L"目标目录不存在！"},
      {L"C:\\\U0001F600", nullptr, L"目标目录不存在！"},  // no ANSI form
      {wide_long, nullptr, L"存放目录过长，无法保存！"},
  };
  for (const Case& c : cases) {
    SettingsRecord record = Zero();
    record.frame_rate = 15;
    SetupChoices choices = FirstRunChoices();
    choices.folder = c.folder;
    const auto exists = [&](const std::wstring& path) { return Exists(path) || path == wide_long; };
    const auto refusal = StoreSetupChoices(choices, record, exists);
    if (c.stored) {
      EXPECT_FALSE(refusal);
      EXPECT_STREQ(record.output_folder, c.stored);
    } else {
      ASSERT_TRUE(refusal);
      EXPECT_EQ(refusal->message, c.message);
      EXPECT_TRUE(refusal->focus_folder);
      SettingsRecord untouched = Zero();
      untouched.frame_rate = 15;
      EXPECT_EQ(std::memcmp(&record, &untouched, sizeof record), 0);
    }
  }
}

TEST(SetupOk, MicrophoneIsNeededOnlyForTheSourcesThatRecordOne) {
  SettingsRecord record = Zero();
  std::strcpy(record.microphone_name, "Old Mic");
  SetupChoices choices = FirstRunChoices();
  choices.microphone.reset();
  const auto refusal = StoreSetupChoices(choices, record, Exists);
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->message, L"请选择录音设备！");
  EXPECT_FALSE(refusal->focus_folder);
  // What came before the check is already stored in memory.
  EXPECT_STREQ(record.output_folder, "C:\\users\\Public\\Videos");
  EXPECT_STREQ(record.camera_name, "Quorlin Test Camera");
  EXPECT_EQ(record.camera_width, 0);

  choices.sound_source_index = 2;  // the microphone and the system sound: a microphone as well
  const auto mixed = StoreSetupChoices(choices, record, Exists);
  ASSERT_TRUE(mixed);
  EXPECT_EQ(mixed->message, L"请选择录音设备！");

  choices.sound_source_index = 1;
  EXPECT_FALSE(StoreSetupChoices(choices, record, Exists));
  EXPECT_STREQ(record.microphone_name, "Old Mic");
  EXPECT_EQ(record.sound_source, 1);

  // A selected microphone whose name cannot be stored is refused only while it is the one in
  // use; with the system sound the stored name stays and everything else is saved.
  choices.microphone = std::wstring(300, L'm');
  EXPECT_FALSE(StoreSetupChoices(choices, record, Exists));
  EXPECT_STREQ(record.microphone_name, "Old Mic");
  choices.sound_source_index = 0;
  const auto unfit = StoreSetupChoices(choices, record, Exists);
  ASSERT_TRUE(unfit);
  EXPECT_EQ(unfit->message, L"录音设备的名称过长或含有无法保存的字符！");
  EXPECT_STREQ(record.microphone_name, "Old Mic");
}

TEST(SetupOk, LiveAddressesAreCheckedOnlyWhileLiveIsOn) {
  struct Case {
    std::wstring url;
    const wchar_t* message;  // nullptr: stored
  };
  const Case cases[] = {
      {L"rtmp://a/b", L"请输入有效的直播地址！"},
      {L"udp://a:123", L"请输入有效的直播地址！"},  // 11 characters
      {L"udp://a:1234", nullptr},                   // 12: the shortest accepted
      {L" rtmp://host/live", L"请输入有效的直播地址！软件支持UDP协议和RTMP协议。"},
      {L"RTMP://host/live", L"请输入有效的直播地址！软件支持UDP协议和RTMP协议。"},
      {L"rtmp://host/" + std::wstring(250, L'x'), L"直播地址过长或含有无法保存的字符！"},
      {L"udp://127.0.0.1:1234", nullptr},
  };
  for (const Case& c : cases) {
    SettingsRecord record = Zero();
    std::strcpy(record.live_url, "rtmp://old/live/stream");
    SetupChoices choices = FirstRunChoices();
    choices.live_enabled = true;
    choices.fluency_first = true;
    choices.hide_after_start = true;
    choices.live_url = c.url;
    const auto refusal = StoreSetupChoices(choices, record, Exists);
    EXPECT_EQ(record.live_enabled, 1);
    EXPECT_EQ(record.hide_after_start, 1);
    if (c.message) {
      ASSERT_TRUE(refusal);
      EXPECT_EQ(refusal->message, c.message);
      EXPECT_STREQ(record.live_url, "rtmp://old/live/stream");
      EXPECT_EQ(record.fluency_first, 0);
    } else {
      EXPECT_FALSE(refusal);
      EXPECT_EQ(platform::AnsiToWide(record.live_url), c.url);
      EXPECT_EQ(record.fluency_first, 1);
    }
  }
  // Off: the stored address and fluency stay.
  SettingsRecord record = Zero();
  std::strcpy(record.live_url, "rtmp://old/live/stream");
  record.live_enabled = 1;
  record.fluency_first = 1;
  SetupChoices choices = FirstRunChoices();
  choices.live_url = L"x";
  EXPECT_FALSE(StoreSetupChoices(choices, record, Exists));
  EXPECT_EQ(record.live_enabled, 0);
  EXPECT_EQ(record.fluency_first, 1);
  EXPECT_STREQ(record.live_url, "rtmp://old/live/stream");
}

TEST(SetupOk, ACameraSizeStaysWithItsCamera) {
  SettingsRecord record = Zero();
  std::strcpy(record.camera_name, "Quorlin Test Camera");
  record.camera_width = 1920;
  record.camera_height = 1080;
  SetupChoices choices = FirstRunChoices();
  choices.camera_width = choices.camera_height = 0;  // the camera offered no size
  EXPECT_FALSE(StoreSetupChoices(choices, record, Exists));
  EXPECT_EQ(record.camera_width, 1920);  // same camera: its size stays

  choices.camera = L"Other Camera";
  EXPECT_FALSE(StoreSetupChoices(choices, record, Exists));
  EXPECT_STREQ(record.camera_name, "Other Camera");
  EXPECT_EQ(record.camera_width, 0);
  EXPECT_EQ(record.camera_height, 0);

  choices.camera = std::wstring(300, L'c');
  const auto refusal = StoreSetupChoices(choices, record, Exists);
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->message, L"采集设备的名称过长或含有无法保存的字符！");
  EXPECT_STREQ(record.camera_name, "Other Camera");
}
