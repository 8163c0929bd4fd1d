// The program's folders and settings file on a real (Wine) Windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "app/paths.h"
#include "platform/file_io.h"
#include "settings/settings_store.h"

namespace {

bool EndsWithOneBackslash(const std::wstring& path) {
  return path.size() >= 2 && path.back() == L'\\' && path[path.size() - 2] != L'\\';
}

TEST(Paths, EveryFolderEndsWithOneBackslash) {
  for (const std::wstring& folder : {GetUserDataFolder(), GetProgramFolder(), GetWindowsFolder(), GetCommonVideoFolder()}) {
    EXPECT_TRUE(EndsWithOneBackslash(folder)) << std::string(folder.begin(), folder.end());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(folder.c_str()));
  }
  const std::wstring data = GetUserDataFolder();
  EXPECT_EQ(L"\\quorlin\\", data.substr(data.size() - 9));
}

TEST(Paths, MissingDataFolderIsCreatedAndAPresentOneKept) {
  const std::wstring data = GetUserDataFolder();
  const std::wstring marker = data + L"keep.txt";
  ASSERT_TRUE(platform::WriteWholeFile(marker, {'x'}));
  EXPECT_EQ(data, GetUserDataFolder());
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(marker.c_str()));
  DeleteFileW(marker.c_str());

  // Move the folder aside with what other tests of this prefix keep in it, ask again, and
  // put it back.
  const std::wstring folder = data.substr(0, data.size() - 1);
  const std::wstring aside = folder + L".aside";
  ASSERT_TRUE(MoveFileW(folder.c_str(), aside.c_str()));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(data.c_str()));
  GetUserDataFolder();
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(data.c_str()));
  EXPECT_TRUE(RemoveDirectoryW(folder.c_str()));
  ASSERT_TRUE(MoveFileW(aside.c_str(), folder.c_str()));
}

TEST(Paths, ProgramFolderHoldsTheRunningExecutable) {
  wchar_t module[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  EXPECT_EQ(0, std::wcsncmp(module, GetProgramFolder().c_str(), GetProgramFolder().size()));
}

// The one settings record: read once, then kept in memory whatever happens to the file.
TEST(SettingsStore, LoadsOnceAndSavesToTheDataFolder) {
  const std::wstring path = GetUserDataFolder() + L"config.cfg";
  EXPECT_EQ(path, SettingsFilePath());
  SettingsRecord seeded{};
  seeded.frame_rate = 10;
  seeded.camera_width = 1050;
  std::strcpy(seeded.output_folder, "C:\\\xC2\xBC\xCF\xF1");
  ASSERT_TRUE(SaveSettings(&seeded));

  SettingsRecord* record = LoadSettings();
  EXPECT_EQ(0, std::memcmp(&seeded, record, sizeof seeded));

  // Another writer changes the file; this process keeps its record.
  SettingsRecord other{};
  other.frame_rate = 25;
  ASSERT_TRUE(SaveSettings(&other));
  EXPECT_EQ(record, LoadSettings());
  EXPECT_EQ(10, LoadSettings()->frame_rate);

  std::vector<unsigned char> bytes;
  ASSERT_TRUE(platform::ReadFilePrefix(path, 4096, bytes));
  EXPECT_EQ(1072u, bytes.size());
  DeleteFileW(path.c_str());
}

}  // namespace
