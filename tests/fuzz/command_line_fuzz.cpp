// The encoder's command lines with any field values, in code pages 936 and 1252: read back by
// the Windows rules, every inserted value comes back intact, and there is never an argument
// more or less than with plain values. The POSIX process start splits them the same way.
#include <string>
#include <vector>

#include "engine/command_line.h"
#include "fuzz_support.h"
#include "platform/command_args.h"
#include "platform/text_codepage.h"
#include "windows_arguments.h"

namespace {

// The same text with every byte that quoting or code pages care about made plain; the
// container markers (".ts", "udp:", "rtmp:") stay as they were.
std::string Plain(const std::string& value) {
  std::string plain = value;
  for (char& c : plain) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte == '"' || byte == '\\' || byte == ' ' || byte == '\t' || byte >= 0x80) c = 'a';
  }
  return plain;
}

std::vector<std::string> Split(const std::string& line, unsigned code_page) {
  std::vector<std::string> arguments = SplitWindowsArguments(line, code_page);
  FUZZ_CHECK(platform::SplitCommandLine(line) == arguments, Escaped(line));
  return arguments;
}

void CheckCapture(FuzzInput& in, unsigned code_page) {
  const std::string output = in.Text();
  const std::string microphone = in.Text();
  const bool with_sound = in.Byte() & 1;
  int32_t numbers[6];
  for (int32_t& n : numbers) n = in.Int();
  auto build = [&](const std::string& out, const std::string& mic) {
    return BuildCaptureCommand(out, with_sound ? mic.c_str() : nullptr, numbers[0], numbers[1], numbers[2], numbers[3],
                               numbers[4], numbers[5]);
  };
  const std::string line = build(output, microphone);
  const std::vector<std::string> got = Split(line, code_page);
  const std::vector<std::string> plain = Split(build(Plain(output), Plain(microphone)), code_page);
  FUZZ_CHECK(got.size() == plain.size(), Escaped(line));
  for (size_t i = 0; i < got.size(); ++i) {
    std::string expected = plain[i];
    if (i + 1 == got.size()) {
      expected = ExpectedArgument(output, code_page);
    } else if (plain[i].rfind("video=", 0) == 0) {
      expected = "video=screen-capture-recorder";
      if (with_sound) expected += ":audio=" + ExpectedArgument(microphone, code_page);
    }
    FUZZ_CHECK(got[i] == expected, Escaped(line) + "\nargument " + std::to_string(i) + ": " + Escaped(got[i]));
  }
}

void CheckRemux(FuzzInput& in, unsigned code_page) {
  const std::string recording = in.Text();
  const std::string final_file = in.Text();
  const std::string line = BuildRemuxCommand(recording, final_file);
  const std::vector<std::string> got = Split(line, code_page);
  FUZZ_CHECK(got.size() == 9, Escaped(line));
  FUZZ_CHECK(got[3] == ExpectedArgument(recording, code_page), Escaped(line));
  FUZZ_CHECK(got[8] == ExpectedArgument(final_file, code_page), Escaped(line));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  const unsigned code_page = (in.Byte() & 1) ? 1252 : 936;
  platform::SetAnsiCodePage(code_page);
  CheckRemux(in, code_page);
  CheckCapture(in, code_page);
  return 0;
}
