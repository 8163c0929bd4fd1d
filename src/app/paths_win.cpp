#include "app/paths.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "app/path_rules.h"

namespace {

// A failed query leaves the folder empty; the callers still get their separator.
std::wstring SpecialFolder(int csidl) {
  wchar_t buffer[512] = {};
  if (!SHGetSpecialFolderPathW(nullptr, buffer, csidl, FALSE)) buffer[0] = L'\0';
  return buffer;
}

}  // namespace

std::wstring GetUserDataFolder() {
  const std::wstring folder = paths::DataFolderUnder(SpecialFolder(CSIDL_APPDATA));
  // Only this one level is created; a failure shows later, when files are opened there.
  if (!PathFileExistsW(folder.c_str())) CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

std::wstring GetProgramFolder() {
  wchar_t buffer[512] = {};
  const DWORD length = GetModuleFileNameW(nullptr, buffer, 512);
  return paths::FolderOfModule(std::wstring(buffer, length));
}

std::wstring GetWindowsFolder() { return paths::WithTrailingBackslash(SpecialFolder(CSIDL_WINDOWS)); }

std::wstring GetCommonVideoFolder() { return paths::WithTrailingBackslash(SpecialFolder(CSIDL_COMMON_VIDEO)); }
