#include "platform/text_codepage.h"

#include <windows.h>

namespace platform {

std::string WideToAnsi(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int needed = WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return {};
  std::string result(static_cast<size_t>(needed), '\0');
  WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), size, &result[0], needed, nullptr, nullptr);
  return result;
}

std::wstring AnsiToWide(const std::string& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int needed = MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), size, nullptr, 0);
  if (needed <= 0) return {};
  std::wstring result(static_cast<size_t>(needed), L'\0');
  MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), size, &result[0], needed);
  return result;
}

bool IsAnsiLeadByte(unsigned char byte) { return IsDBCSLeadByteEx(CP_THREAD_ACP, byte) != FALSE; }

}  // namespace platform
