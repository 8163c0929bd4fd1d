#include "platform/utf8.h"

#include <cstdint>

namespace platform {
namespace {

// Reads one code point from wide text, joining UTF-16 surrogate pairs where wchar_t is 16 bits.
uint32_t NextCodePoint(const std::wstring& text, size_t& i) {
  uint32_t code = static_cast<uint32_t>(text[i++]) & (sizeof(wchar_t) == 2 ? 0xFFFFu : 0xFFFFFFFFu);
  if (sizeof(wchar_t) == 2 && code >= 0xD800 && code < 0xDC00 && i < text.size()) {
    const uint32_t low = static_cast<uint32_t>(text[i]) & 0xFFFFu;
    if (low >= 0xDC00 && low < 0xE000) {
      ++i;
      code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
    }
  }
  return code;
}

void AppendCodePoint(std::wstring& out, uint32_t code) {
  if (sizeof(wchar_t) == 2 && code >= 0x10000) {
    code -= 0x10000;
    out.push_back(static_cast<wchar_t>(0xD800 + (code >> 10)));
    out.push_back(static_cast<wchar_t>(0xDC00 + (code & 0x3FF)));
  } else {
    out.push_back(static_cast<wchar_t>(code));
  }
}

}  // namespace

std::string WideToUtf8(const std::wstring& text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    const uint32_t c = NextCodePoint(text, i);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

std::wstring Utf8ToWide(const std::string& text) {
  std::wstring out;
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    uint32_t code = extra == 0 ? lead : extra == 1 ? (lead & 0x1F) : extra == 2 ? (lead & 0x0F) : (lead & 0x07);
    if (lead >= 0x80 && lead < 0xC0) code = 0xFFFD;  // stray continuation byte
    ++i;
    for (; extra > 0 && i < text.size(); --extra, ++i) {
      const unsigned char next = static_cast<unsigned char>(text[i]);
      if ((next & 0xC0) != 0x80) {
        code = 0xFFFD;
        break;
      }
      code = (code << 6) | (next & 0x3F);
    }
    AppendCodePoint(out, code);
  }
  return out;
}

}  // namespace platform
