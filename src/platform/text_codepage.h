#pragma once
// Conversion between the UTF-16 of windows and paths and the 8-bit text of the settings
// file, encoder command lines and encoder output. That 8-bit text is in the thread's ANSI
// code page, which is code page 936 (GBK) on the systems the program is made for; the
// POSIX build uses GBK so that both sides read and write the same bytes.
#include <string>

namespace platform {

// Characters the code page cannot hold become its default character ("?").
std::string WideToAnsi(const std::wstring& text);
std::wstring AnsiToWide(const std::string& text);

}  // namespace platform
