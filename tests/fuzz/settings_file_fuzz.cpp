// The settings file with any bytes, CR, LF and 0x1A anywhere, of any length: the record holds
// the file's bytes with each CR LF made LF, zero after them; written back, it reads back the
// same; and a recording started with it hands the encoder its texts within their fields.
#include <cstring>
#include <vector>

#include "engine/recording_workflow.h"
#include "fuzz_support.h"
#include "platform/text_codepage.h"
#include "settings/settings_file.h"
#include "windows_arguments.h"
#include "../workflow/fake_recording_bar.h"

namespace {

std::string FieldText(const char (&field)[kSettingsTextSize]) { return std::string(field, strnlen(field, sizeof field)); }

void CheckStartedRecording(const SettingsRecord& record) {
  FakeRecordingBar bar;
  bar.settings = record;
  bar.now.tm_year = 126;
  bar.now.tm_mday = 9;
  RecordingWorkflow workflow(bar);
  bar.workflow = &workflow;
  workflow.StartOrStopRecording();
  if (bar.runs.empty()) return;
  const std::string& line = bar.runs[0].command_line;
  const std::vector<std::string> arguments = SplitWindowsArguments(line, 936);
  const std::string output =
      record.live_enabled == 1 ? FieldText(record.live_url) : platform::WideToAnsi(workflow.RecordingFile());
  FUZZ_CHECK(arguments.back() == ExpectedArgument(output, 936), Escaped(line));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  platform::SetAnsiCodePage(936);
  const std::wstring path = ScratchFile("config.cfg", data, size);
  SettingsRecord record;
  FUZZ_CHECK(settings::ReadSettingsFile(path, record), "read");

  std::vector<unsigned char> expected;
  for (size_t i = 0; i < size && expected.size() < sizeof record; ++i)
    if (!(data[i] == 0x0D && i + 1 < size && data[i + 1] == 0x0A)) expected.push_back(data[i]);
  expected.resize(sizeof record, 0);
  FUZZ_CHECK(std::memcmp(expected.data(), &record, sizeof record) == 0, "record differs from the file");

  FUZZ_CHECK(settings::WriteSettingsFile(path, record), "write");
  SettingsRecord again;
  FUZZ_CHECK(settings::ReadSettingsFile(path, again) && std::memcmp(&again, &record, sizeof record) == 0,
             "record changed on the way back");

  CheckStartedRecording(record);
  return 0;
}
