#include "app/path_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(PathRules, DataFolderGetsExactlyOneSeparator) {
  struct Case {
    std::wstring app_data, expected;
  } cases[] = {
      {L"C:\\Users\\li\\AppData\\Roaming", L"C:\\Users\\li\\AppData\\Roaming\\quorlin\\"},
      {L"D:\\", L"D:\\quorlin\\"},  // a drive root
      {L"", L"\\quorlin\\"},        // a failed query
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, paths::DataFolderUnder(c.app_data));
}

TEST(PathRules, FoldersEndWithOneBackslash) {
  EXPECT_EQ(L"C:\\Windows\\", paths::WithTrailingBackslash(L"C:\\Windows"));
  EXPECT_EQ(L"C:\\", paths::WithTrailingBackslash(L"C:\\"));
  EXPECT_EQ(L"\\", paths::WithTrailingBackslash(L""));
}

TEST(PathRules, ProgramFolderKeepsItsLastBackslash) {
  EXPECT_EQ(L"C:\\Program Files\\Quorlin\\", paths::FolderOfModule(L"C:\\Program Files\\Quorlin\\Quorlin.exe"));
  EXPECT_EQ(L"C:\\", paths::FolderOfModule(L"C:\\Quorlin.exe"));
  EXPECT_EQ(L"", paths::FolderOfModule(L"Quorlin.exe"));
}

}  // namespace
