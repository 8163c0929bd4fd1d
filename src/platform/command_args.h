#pragma once
// Splits a Windows command line into arguments the way the C runtime does (blanks separate
// arguments outside double quotes; 2n backslashes before a quote give n backslashes and a
// quote that opens or closes, 2n+1 give n backslashes and a literal quote). Used where a
// command line must become an argument vector (POSIX process start). A lead byte of the ANSI
// code page takes the byte after it along, whatever that byte is.
#include <string>
#include <vector>

namespace platform {

std::vector<std::string> SplitCommandLine(const std::string& command_line);

}  // namespace platform
