#include "app/path_rules.h"

namespace paths {

std::wstring WithTrailingBackslash(std::wstring folder) {
  if (folder.empty() || folder.back() != L'\\') folder += L'\\';
  return folder;
}

std::wstring DataFolderUnder(const std::wstring& app_data_folder) {
  if (!app_data_folder.empty() && app_data_folder.back() == L'\\') return app_data_folder + L"quorlin\\";
  return app_data_folder + L"\\quorlin\\";
}

std::wstring FolderOfModule(const std::wstring& module_path) {
  const size_t last = module_path.rfind(L'\\');
  return last == std::wstring::npos ? std::wstring() : module_path.substr(0, last + 1);
}

}  // namespace paths
