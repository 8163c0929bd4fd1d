#pragma once
// Message boxes with the application title (string 57344) as their caption.
#include <windows.h>

#include <string>

std::wstring LoadResourceString(UINT id);
std::wstring GetAppTitle();
int ShowMessageBox(HWND owner, const std::wstring& text, UINT type = MB_OK);
