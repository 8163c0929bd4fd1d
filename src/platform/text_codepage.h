#pragma once
// Conversion between the UTF-16 of windows and paths and the 8-bit text of the settings
// file, encoder command lines and encoder output. That 8-bit text is in the thread's ANSI
// code page, which is code page 936 (GBK) on the systems the program is made for; the
// POSIX build stands in for it with a process-wide code page, 936 unless a test sets 1252,
// so that both sides read and write the same bytes.
#include <string>

namespace platform {

// Characters the code page cannot hold become its default character ("?").
std::string WideToAnsi(const std::wstring& text);
std::wstring AnsiToWide(const std::string& text);

// True when `byte` begins a two-byte character in that code page (0x81-0xFE in 936; never
// in a single-byte code page such as 1252): the byte after it is never read on its own.
bool IsAnsiLeadByte(unsigned char byte);

#ifndef _WIN32
// The POSIX stand-in for the thread's ANSI code page: 936 or 1252; any other value is taken
// as 936.
void SetAnsiCodePage(unsigned code_page);
#endif

}  // namespace platform
