#pragma once
// The settings tool without its entry point, so that tests can run it.
#include <string>
#include <vector>

// Arguments as the user typed them (without the program name). Output is UTF-8.
// Returns the process exit code: 0 done, 1 the file could not be written, 2 bad arguments.
int RunSettingsTool(const std::vector<std::wstring>& args, std::string& out, std::string& err);
