#include "settings/settings_fields.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(SettingsFields, EveryFieldIsListedOnceInRecordOrder) {
  const auto& fields = settings::SettingsFields();
  ASSERT_EQ(16u, fields.size());
  size_t covered = 0;
  for (const auto& field : fields) {
    EXPECT_EQ(covered, field.offset) << field.name;
    covered += field.is_text ? kSettingsTextSize : 4;
  }
  EXPECT_EQ(sizeof(SettingsRecord), covered);
  EXPECT_EQ(nullptr, settings::FindSettingsField("no_such_field"));
}

TEST(SettingsFields, IntegersAreSetFromDecimalTextWithinRange) {
  SettingsRecord record{};
  const auto* frame_rate = settings::FindSettingsField("frame_rate");
  ASSERT_NE(nullptr, frame_rate);
  EXPECT_EQ("", settings::SetFieldFromText(record, *frame_rate, "-7"));
  EXPECT_EQ(-7, record.frame_rate);
  for (const char* bad : {"", "12x", "2147483648", "-2147483649", "0x10"}) {
    EXPECT_NE("", settings::SetFieldFromText(record, *frame_rate, bad)) << bad;
    EXPECT_EQ(-7, record.frame_rate) << bad;
  }
  EXPECT_EQ("", settings::SetFieldFromText(record, *frame_rate, "2147483647"));
  EXPECT_EQ(2147483647, settings::GetIntField(record, *frame_rate));
}

TEST(SettingsFields, TextsKeepRoomForTheirTerminator) {
  SettingsRecord record{};
  std::memset(record.live_url, 'x', sizeof record.live_url - 1);
  const auto* url = settings::FindSettingsField("live_url");
  ASSERT_NE(nullptr, url);
  EXPECT_EQ("", settings::SetFieldFromText(record, *url, "udp://127.0.0.1:1234"));
  EXPECT_EQ("udp://127.0.0.1:1234", settings::GetTextField(record, *url));
  EXPECT_EQ("", settings::SetFieldFromText(record, *url, std::string(255, 'a')));
  EXPECT_EQ(255u, settings::GetTextField(record, *url).size());
  EXPECT_NE("", settings::SetFieldFromText(record, *url, std::string(256, 'b')));
  EXPECT_EQ(std::string(255, 'a'), settings::GetTextField(record, *url));
  EXPECT_EQ(0, record.fluency_first) << "a long text must not spill into the next field";
}

TEST(SettingsFields, TextWithoutTerminatorIsReadWithinItsField) {
  SettingsRecord record{};
  std::memset(record.microphone_name, 'm', sizeof record.microphone_name);
  record.camera_width = 0x41414141;
  EXPECT_EQ(std::string(256, 'm'), settings::GetTextField(record, *settings::FindSettingsField("microphone_name")));
}

}  // namespace
