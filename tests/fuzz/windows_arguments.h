#pragma once
// A second, independent reading of a Windows command line, as the encoder's start-up code
// reads it (CommandLineToArgvW on the command line the system widened from the ANSI code
// page), over the ANSI bytes: the first argument runs to the first blank, or between quotes
// without escapes; after it, 2n backslashes before a quote give n and the quote opens or
// closes, 2n+1 give n and a literal quote; a quote right after a closing quote is a literal
// quote; a lead byte of the code page takes the next byte along, whatever it is. The fuzz
// targets hold the program's command lines against it.
#include <string>
#include <vector>

std::vector<std::string> SplitWindowsArguments(const std::string& line, unsigned code_page);

// True when `code_page` (936 or 1252) has `byte` as the lead byte of a double-byte character.
bool IsLeadByteOf(unsigned code_page, unsigned char byte);
