#include "windows_arguments.h"

bool IsLeadByteOf(unsigned code_page, unsigned char byte) { return code_page == 936 && byte >= 0x81 && byte <= 0xFE; }

std::vector<std::string> SplitWindowsArguments(const std::string& line, unsigned code_page) {
  std::vector<std::string> arguments;
  const size_t size = line.size();
  size_t i = 0;
  auto is_blank = [&](size_t at) { return line[at] == ' ' || line[at] == '\t'; };

  // The program name.
  std::string first;
  if (i < size && line[i] == '"') {
    for (++i; i < size && line[i] != '"'; ++i) first.push_back(line[i]);
    if (i < size) ++i;
  } else {
    for (; i < size && !is_blank(i); ++i) first.push_back(line[i]);
  }
  arguments.push_back(first);
  while (i < size && is_blank(i)) ++i;

  std::string current;
  bool started = false;
  int quotes = 0;        // 1 inside quotes
  size_t backslashes = 0;  // just written to `current`
  while (i < size) {
    const unsigned char byte = static_cast<unsigned char>(line[i]);
    if (is_blank(i) && quotes == 0) {
      arguments.push_back(current);
      current.clear();
      started = false;
      backslashes = 0;
      while (i < size && is_blank(i)) ++i;
      continue;
    }
    started = true;
    if (byte == '\\') {
      current.push_back('\\');
      ++backslashes;
      ++i;
    } else if (byte == '"') {
      current.resize(current.size() - backslashes / 2);
      if (backslashes % 2 == 0) {
        ++quotes;
      } else {
        current.back() = '"';
      }
      backslashes = 0;
      for (++i; i < size && line[i] == '"'; ++i) {
        if (++quotes == 3) {
          current.push_back('"');
          quotes = 0;
        }
      }
      if (quotes == 2) quotes = 0;
    } else {
      current.push_back(static_cast<char>(byte));
      if (IsLeadByteOf(code_page, byte) && i + 1 < size) current.push_back(line[++i]);
      ++i;
      backslashes = 0;
    }
  }
  if (started) arguments.push_back(current);
  return arguments;
}
