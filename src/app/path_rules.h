#pragma once
// How the program's folders are formed from what the system reports. Every result ends
// with exactly one backslash, also when the system gives an empty folder or a drive root.
#include <string>

namespace paths {

// Appends a backslash unless the folder already ends with one (an empty folder gets one).
std::wstring WithTrailingBackslash(std::wstring folder);

// The program's own folder under the user's application data folder: "quorlin\" after a
// folder that ends with a backslash, "\quorlin\" otherwise.
std::wstring DataFolderUnder(const std::wstring& app_data_folder);

// The folder of an executable's full path, cut right after its last backslash.
std::wstring FolderOfModule(const std::wstring& module_path);

}  // namespace paths
