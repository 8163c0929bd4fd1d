#include "platform/text_codepage.h"

#include <gtest/gtest.h>

#include "platform/utf8.h"

namespace {

// The program's texts in code page 936 (GBK), as the settings file and the encoder see them.
TEST(TextCodePage, ConvertsChineseBothWaysInCodePage936) {
  struct Case {
    std::wstring wide;
    std::string ansi;
  } cases[] = {
      {L"", ""},
      {L"quorlind.exe", "quorlind.exe"},
      {L"录像", "\xC2\xBC\xCF\xF1"},
      {L"麦克风 (Realtek)", "\xC2\xF3\xBF\xCB\xB7\xE7 (Realtek)"},
      {L"创建进程失败", "\xB4\xB4\xBD\xA8\xBD\xF8\xB3\xCC\xCA\xA7\xB0\xDC"},
      {L"D:\\王喆\\", "D:\\\xCD\xF5\x86\xB4\\"},  // 喆 is in GBK but not in GB2312
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.ansi, platform::WideToAnsi(c.wide));
    EXPECT_EQ(c.wide, platform::AnsiToWide(c.ansi));
  }
}

TEST(TextCodePage, UnrepresentableCharactersBecomeTheDefaultCharacter) {
  EXPECT_EQ("a?b", platform::WideToAnsi(L"a\u0E01b"));  // Thai ko kai is not in GBK
}

// Lead bytes follow the code page: the quoting of command lines depends on them.
TEST(TextCodePage, LeadBytesAreThoseOfTheCodePage) {
  EXPECT_TRUE(platform::IsAnsiLeadByte(0x81));
  EXPECT_TRUE(platform::IsAnsiLeadByte(0xFE));
  EXPECT_FALSE(platform::IsAnsiLeadByte(0x80));
  EXPECT_FALSE(platform::IsAnsiLeadByte('\\'));
#ifndef _WIN32
  platform::SetAnsiCodePage(1252);
  EXPECT_FALSE(platform::IsAnsiLeadByte(0x81));
  EXPECT_EQ(L"caf\u00E9\\", platform::AnsiToWide("caf\xE9\\"));
  EXPECT_EQ("caf\xE9?", platform::WideToAnsi(L"caf\u00E9\u5586"));
  platform::SetAnsiCodePage(936);
#endif
}

TEST(Utf8, EncodesEachLengthUpToItsLastCodePoint) {
  struct Case {
    std::wstring wide;
    std::string utf8;
  } cases[] = {
      {L"\u007F", "\x7F"},         {L"\u0080", "\xC2\x80"},         {L"\u07FF", "\xDF\xBF"},
      {L"\u0800", "\xE0\xA0\x80"}, {L"\uFFFD", "\xEF\xBF\xBD"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.utf8, platform::WideToUtf8(c.wide));
    EXPECT_EQ(c.wide, platform::Utf8ToWide(c.utf8));
  }
}

TEST(Utf8, RoundTripsTextOutsideTheBasicPlane) {
  const std::wstring text = platform::Utf8ToWide("x\xF0\x9F\x8E\xA5y\xE5\xBD\x95");
  EXPECT_EQ("x\xF0\x9F\x8E\xA5y\xE5\xBD\x95", platform::WideToUtf8(text));
  EXPECT_EQ(L"\uFFFD", platform::Utf8ToWide("\x80"));
}

}  // namespace
