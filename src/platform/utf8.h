#pragma once
// UTF-8 for wide text: file names on POSIX and console output of the tools.
#include <string>

namespace platform {

std::string WideToUtf8(const std::wstring& text);
std::wstring Utf8ToWide(const std::string& text);

}  // namespace platform
