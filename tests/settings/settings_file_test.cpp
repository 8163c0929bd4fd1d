#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/file_io.h"
#include "tests/support/temp_folder.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

using Bytes = std::vector<unsigned char>;

Bytes ReadAll(const std::wstring& path) {
  Bytes bytes;
  platform::ReadFilePrefix(path, 1 << 20, bytes);
  return bytes;
}

SettingsRecord SampleRecord() {
  SettingsRecord record{};
  record.video_bitrate = 2000;
  record.audio_bitrate = 128;
  record.frame_rate = 25;
  record.video_width = 1920;
  record.video_height = 1080;
  record.sound_source = 1;
  record.save_format = 0;
  std::strcpy(record.output_folder, "D:\\\xC2\xBC\xCF\xF1");  // D:\录像 in GBK
  std::strcpy(record.camera_name, "USB Camera");
  std::strcpy(record.microphone_name, "Mic (Realtek)");
  record.camera_width = 640;
  record.camera_height = 480;
  record.hide_after_start = 1;
  record.live_enabled = 0;
  std::strcpy(record.live_url, "rtmp://127.0.0.1/live/a");
  record.fluency_first = 1;
  return record;
}

void ExpectSameRecord(const SettingsRecord& expected, const SettingsRecord& actual) {
  EXPECT_EQ(0, std::memcmp(&expected, &actual, sizeof expected));
}

TEST(LineEnds, EachLineFeedIsStoredAsCarriageReturnLineFeed) {
  struct Case {
    Bytes record;
    Bytes file;
  } cases[] = {
      {{}, {}},
      {{0x41, 0x42}, {0x41, 0x42}},
      {{0x0A}, {0x0D, 0x0A}},
      {{0x0A, 0x0A}, {0x0D, 0x0A, 0x0D, 0x0A}},
      {{0x0D, 0x0A}, {0x0D, 0x0D, 0x0A}},
      {{0x1A, 0x00, 0x0D}, {0x1A, 0x00, 0x0D}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.file, settings::EncodeLineEnds(c.record.data(), c.record.size()));
    Bytes decoded(c.record.size() + 4, 0xEE);
    ASSERT_EQ(c.record.size(), settings::DecodeLineEnds(c.file, decoded.data(), decoded.size()));
    decoded.resize(c.record.size());
    EXPECT_EQ(c.record, decoded);
  }
}

TEST(LineEnds, ReadingKeepsLoneCarriageReturnsAndStopsAtCapacity) {
  unsigned char out[4] = {};
  // A CR not followed by LF passes through, also as the very last byte.
  EXPECT_EQ(3u, settings::DecodeLineEnds({0x0D, 0x41, 0x0D}, out, sizeof out));
  EXPECT_EQ(0x0D, out[0]);
  EXPECT_EQ(0x41, out[1]);
  EXPECT_EQ(0x0D, out[2]);
  EXPECT_EQ(2u, settings::DecodeLineEnds({0x0D, 0x0A, 0x0D, 0x0A, 0x0D, 0x0A}, out, 2));
}

TEST(SettingsFile, RecordWithOneLineFeedByteIsStoredInOneMoreByte) {
  TempFolder folder;
  SettingsRecord record{};
  record.frame_rate = 10;  // bytes 0A 00 00 00: the record's only 0x0A
  const std::wstring path = folder.File("config.cfg");
  ASSERT_TRUE(settings::WriteSettingsFile(path, record));

  const Bytes file = ReadAll(path);
  ASSERT_EQ(1073u, file.size());
  EXPECT_EQ(0x0D, file[8]);
  EXPECT_EQ(0x0A, file[9]);

  SettingsRecord loaded;
  std::memset(&loaded, 0x55, sizeof loaded);
  ASSERT_TRUE(settings::ReadSettingsFile(path, loaded));
  ExpectSameRecord(record, loaded);
}

TEST(SettingsFile, EndOfFileByteInsideTheRecordIsData) {
  TempFolder folder;
  SettingsRecord record = SampleRecord();
  record.camera_width = 1050;  // 0x041A: a 0x1A byte in the middle of the record
  record.camera_height = 0x0A0A;
  const std::wstring path = folder.File("config.cfg");
  ASSERT_TRUE(settings::WriteSettingsFile(path, record));
  SettingsRecord loaded;
  ASSERT_TRUE(settings::ReadSettingsFile(path, loaded));
  ExpectSameRecord(record, loaded);
  EXPECT_EQ(1050, loaded.camera_width);
  EXPECT_STREQ("rtmp://127.0.0.1/live/a", loaded.live_url);
  EXPECT_EQ(1, loaded.fluency_first);
}

TEST(SettingsFile, RecordOfOnlyLineFeedsRoundTrips) {
  TempFolder folder;
  SettingsRecord record;
  std::memset(&record, 0x0A, sizeof record);
  const std::wstring path = folder.File("config.cfg");
  ASSERT_TRUE(settings::WriteSettingsFile(path, record));
  EXPECT_EQ(2 * sizeof record, ReadAll(path).size());
  SettingsRecord loaded;
  ASSERT_TRUE(settings::ReadSettingsFile(path, loaded));
  ExpectSameRecord(record, loaded);
}

TEST(SettingsFile, ShortFileFillsWhatItHoldsAndZerosTheRest) {
  TempFolder folder;
  const std::wstring path = folder.File("config.cfg");
  Bytes hundred(100);
  for (size_t i = 0; i < hundred.size(); ++i) hundred[i] = static_cast<unsigned char>(0x20 + i);
  ASSERT_TRUE(platform::WriteWholeFile(path, hundred));

  SettingsRecord loaded;
  std::memset(&loaded, 0x55, sizeof loaded);
  ASSERT_TRUE(settings::ReadSettingsFile(path, loaded));
  const auto* bytes = reinterpret_cast<const unsigned char*>(&loaded);
  EXPECT_TRUE(std::equal(hundred.begin(), hundred.end(), bytes));
  for (size_t i = 100; i < sizeof loaded; ++i) ASSERT_EQ(0, bytes[i]) << "byte " << i;
}

TEST(SettingsFile, BytesAfterTheRecordAreIgnored) {
  TempFolder folder;
  const std::wstring path = folder.File("config.cfg");
  const SettingsRecord record = SampleRecord();
  Bytes file = settings::EncodeLineEnds(reinterpret_cast<const unsigned char*>(&record), sizeof record);
  file.insert(file.end(), 5000, 0x77);
  ASSERT_TRUE(platform::WriteWholeFile(path, file));
  SettingsRecord loaded;
  ASSERT_TRUE(settings::ReadSettingsFile(path, loaded));
  ExpectSameRecord(record, loaded);
}

TEST(SettingsFile, MissingOrEmptyFileGivesAllZeros) {
  TempFolder folder;
  SettingsRecord zero{};
  SettingsRecord loaded;
  std::memset(&loaded, 0x55, sizeof loaded);
  EXPECT_FALSE(settings::ReadSettingsFile(folder.File("missing.cfg"), loaded));
  ExpectSameRecord(zero, loaded);

  const std::wstring empty = folder.File("empty.cfg");
  ASSERT_TRUE(platform::WriteWholeFile(empty, {}));
  std::memset(&loaded, 0x55, sizeof loaded);
  EXPECT_TRUE(settings::ReadSettingsFile(empty, loaded));
  ExpectSameRecord(zero, loaded);
}

TEST(SettingsFile, SavingWhereNoFileCanBeCreatedFails) {
  TempFolder folder;
  EXPECT_FALSE(settings::WriteSettingsFile(folder.File("no-such-folder/config.cfg"), SampleRecord()));
}

TEST(SettingsFile, SavingReplacesALongerFileWhole) {
  TempFolder folder;
  const std::wstring path = folder.File("config.cfg");
  SettingsRecord all_lf;
  std::memset(&all_lf, 0x0A, sizeof all_lf);
  ASSERT_TRUE(settings::WriteSettingsFile(path, all_lf));
  const SettingsRecord record{};
  ASSERT_TRUE(settings::WriteSettingsFile(path, record));
  EXPECT_EQ(sizeof record, ReadAll(path).size());
}

#ifndef _WIN32
// A folder the user may not write to. Root writes anywhere, so the check runs as "nobody".
TEST(SettingsFile, SavingIntoAReadOnlyFolderFails) {
  TempFolder folder;
  const std::filesystem::path locked = folder.path() / "locked";
  std::filesystem::create_directory(locked);
  ::chmod(locked.c_str(), 0555);
  ::chmod(folder.path().c_str(), 0755);
  const std::wstring path = (locked / "config.cfg").wstring();
  if (::geteuid() != 0) {
    EXPECT_FALSE(settings::WriteSettingsFile(path, SampleRecord()));
    return;
  }
  const pid_t child = ::fork();
  ASSERT_NE(-1, child);
  if (child == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
    ::_exit(settings::WriteSettingsFile(path, SampleRecord()) ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(child, ::waitpid(child, &status, 0));
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(0, WEXITSTATUS(status)) << "1: the save reported success; 3: could not become nobody";
}
#endif

}  // namespace
