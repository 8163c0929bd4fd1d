#include "framework/message_box.h"

#include "framework/win_app.h"
#include "res/resource.h"

std::wstring LoadResourceString(UINT id) {
  const wchar_t* text = nullptr;
  // Length 0 asks for a read-only pointer into the resource itself.
  const int length = LoadStringW(CWinApp::Instance(), id, reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

std::wstring GetAppTitle() { return LoadResourceString(IDS_APP_TITLE); }

int ShowMessageBox(HWND owner, const std::wstring& text, UINT type) {
  return MessageBoxW(owner, text.c_str(), GetAppTitle().c_str(), type);
}
