// Entry points of the settings tool: wide arguments on Windows, UTF-8 on POSIX.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/utf8.h"
#include "tools/qsettings/qsettings_core.h"

namespace {
int Run(const std::vector<std::wstring>& args) {
  std::string out, err;
  const int code = RunSettingsTool(args, out, err);
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fwrite(err.data(), 1, err.size(), stderr);
  return code;
}
}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) { return Run(std::vector<std::wstring>(argv + 1, argv + argc)); }
#else
int main(int argc, char** argv) {
  std::vector<std::wstring> args;
  for (int i = 1; i < argc; ++i) args.push_back(platform::Utf8ToWide(argv[i]));
  return Run(args);
}
#endif
