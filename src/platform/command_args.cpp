#include "platform/command_args.h"

#include "platform/text_codepage.h"

namespace platform {

std::vector<std::string> SplitCommandLine(const std::string& command_line) {
  std::vector<std::string> arguments;
  std::string current;
  bool in_argument = false;
  bool in_quotes = false;
  size_t backslashes = 0;
  for (size_t i = 0; i < command_line.size(); ++i) {
    const unsigned char byte = static_cast<unsigned char>(command_line[i]);
    if (byte == '\\') {
      ++backslashes;
      in_argument = true;
      continue;
    }
    if (byte == '"') {
      current.append(backslashes / 2, '\\');
      if (backslashes % 2 == 1) {
        current.push_back('"');
      } else {
        in_quotes = !in_quotes;
      }
      backslashes = 0;
      in_argument = true;
      continue;
    }
    current.append(backslashes, '\\');
    backslashes = 0;
    if ((byte == ' ' || byte == '\t') && !in_quotes) {
      if (in_argument) arguments.push_back(current);
      current.clear();
      in_argument = false;
      continue;
    }
    current.push_back(static_cast<char>(byte));
    if (IsAnsiLeadByte(byte) && i + 1 < command_line.size()) current.push_back(command_line[++i]);
    in_argument = true;
  }
  current.append(backslashes, '\\');
  if (in_argument) arguments.push_back(current);
  return arguments;
}

}  // namespace platform
