#include "app/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/utf8.h"

// The native build (tools and tests) keeps its data in $QUORLIN_DATA_FOLDER, or in
// ~/.quorlin/ when that is not set.
std::wstring GetUserDataFolder() {
  std::string folder;
  if (const char* chosen = std::getenv("QUORLIN_DATA_FOLDER")) {
    folder = chosen;
  } else {
    const char* home = std::getenv("HOME");
    folder = std::string(home ? home : "") + "/.quorlin";
  }
  if (folder.empty() || folder.back() != '/') folder += '/';
  mkdir(folder.c_str(), 0755);
  return platform::Utf8ToWide(folder);
}

std::wstring GetProgramFolder() {
  char buffer[4096];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  std::string path(buffer, length > 0 ? static_cast<size_t>(length) : 0);
  return platform::Utf8ToWide(path.substr(0, path.rfind('/') + 1));
}
