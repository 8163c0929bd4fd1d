#include "tools/qsettings/qsettings_core.h"

#include <gtest/gtest.h>

#include "settings/settings_file.h"
#include "tests/support/temp_folder.h"

namespace {

struct ToolResult {
  int code;
  std::string out, err;
};

ToolResult RunTool(std::vector<std::wstring> args) {
  ToolResult result;
  result.code = RunSettingsTool(args, result.out, result.err);
  return result;
}

TEST(SettingsTool, WritesFieldsAndPrintsThemBack) {
  TempFolder folder;
  const std::wstring path = folder.File("config.cfg");
  ToolResult written = RunTool({L"--file", path, L"output_folder=D:\\录像", L"sound_source=1", L"frame_rate=10"});
  ASSERT_EQ(0, written.code) << written.err;

  SettingsRecord record;
  ASSERT_TRUE(settings::ReadSettingsFile(path, record));
  EXPECT_STREQ("D:\\\xC2\xBC\xCF\xF1", record.output_folder) << "texts are stored in code page 936";
  EXPECT_EQ(1, record.sound_source);
  EXPECT_EQ(10, record.frame_rate);

  // A second run changes one field and keeps the others.
  ASSERT_EQ(0, RunTool({L"--file", path, L"live_url=rtmp://127.0.0.1/live/x"}).code);
  ToolResult printed = RunTool({L"--file", path});
  ASSERT_EQ(0, printed.code);
  EXPECT_NE(std::string::npos, printed.out.find("output_folder=D:\\\xE5\xBD\x95\xE5\x83\x8F\n"));  // UTF-8
  EXPECT_NE(std::string::npos, printed.out.find("frame_rate=10\n"));
  EXPECT_NE(std::string::npos, printed.out.find("live_url=rtmp://127.0.0.1/live/x\n"));
  EXPECT_NE(std::string::npos, printed.out.find("fluency_first=0\n"));
}

TEST(SettingsTool, RefusesBadInputWithoutTouchingTheFile) {
  TempFolder folder;
  const std::wstring path = folder.File("config.cfg");
  ASSERT_EQ(0, RunTool({L"--file", path, L"frame_rate=15"}).code);
  for (const auto& args : std::vector<std::vector<std::wstring>>{
           {L"--file", path, L"frame_rate=abc"},
           {L"--file", path, L"bogus=1"},
           {L"--file", path, L"camera_name=" + std::wstring(300, L'c')},
           {L"--file", path, L"stray"},
       }) {
    ToolResult result = RunTool(args);
    EXPECT_EQ(2, result.code);
    EXPECT_FALSE(result.err.empty());
  }
  SettingsRecord record;
  ASSERT_TRUE(settings::ReadSettingsFile(path, record));
  EXPECT_EQ(15, record.frame_rate);
  EXPECT_STREQ("", record.camera_name);
}

TEST(SettingsTool, ReportsAFileThatCannotBeWritten) {
  TempFolder folder;
  ToolResult result = RunTool({L"--file", folder.File("missing/config.cfg"), L"frame_rate=15"});
  EXPECT_EQ(1, result.code);
  EXPECT_NE(std::string::npos, result.err.find("cannot write"));
}

}  // namespace
