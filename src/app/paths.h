#pragma once
// The program's folders. Each call asks the system afresh and returns a new path that ends
// with a separator (a backslash on Windows).
#include <string>

// The per-user data folder (settings file, camera window position); created when missing.
std::wstring GetUserDataFolder();
// The folder of the running executable (skin bitmaps, manual).
std::wstring GetProgramFolder();

#ifdef _WIN32
// The Windows folder, where the encoder is installed.
std::wstring GetWindowsFolder();
// The all-users Videos folder, proposed as the output folder.
std::wstring GetCommonVideoFolder();
#endif
