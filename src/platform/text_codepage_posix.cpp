#include "platform/text_codepage.h"

#include <iconv.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <vector>

namespace platform {
namespace {

std::atomic<unsigned> g_code_page{936};

const char* CodePageName() { return g_code_page == 1252 ? "CP1252" : "GBK"; }

// wchar_t is 32 bits here; Windows texts are UTF-16. The POSIX build keeps one wide
// character per code point, which is all the tools and tests need.
class Converter {
 public:
  Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
  ~Converter() {
    if (valid()) iconv_close(handle_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

  // Converts one unit; false when the target code page cannot hold it.
  bool Convert(const char* in, size_t in_size, std::vector<char>& out) {
    char buffer[16];
    char* in_ptr = const_cast<char*>(in);
    char* out_ptr = buffer;
    size_t out_left = sizeof buffer;
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    if (iconv(handle_, &in_ptr, &in_size, &out_ptr, &out_left) == static_cast<size_t>(-1)) return false;
    out.insert(out.end(), buffer, out_ptr);
    return true;
  }

 private:
  iconv_t handle_;
};

}  // namespace

std::string WideToAnsi(const std::wstring& text) {
  Converter converter(CodePageName(), "UTF-32LE");
  std::vector<char> out;
  for (wchar_t ch : text) {
    const uint32_t code = static_cast<uint32_t>(ch);
    const char unit[4] = {static_cast<char>(code & 0xFF), static_cast<char>((code >> 8) & 0xFF),
                          static_cast<char>((code >> 16) & 0xFF), static_cast<char>(code >> 24)};
    if (!converter.valid() || !converter.Convert(unit, sizeof unit, out)) out.push_back('?');
  }
  return std::string(out.begin(), out.end());
}

std::wstring AnsiToWide(const std::string& text) {
  Converter converter("UTF-32LE", CodePageName());
  std::wstring result;
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    const size_t width = (IsAnsiLeadByte(lead) && i + 1 < text.size()) ? 2 : 1;
    std::vector<char> out;
    if (converter.valid() && converter.Convert(text.data() + i, width, out) && out.size() == 4) {
      const auto* b = reinterpret_cast<const unsigned char*>(out.data());
      result.push_back(static_cast<wchar_t>(b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24)));
    } else {
      result.push_back(lead < 0x80 ? static_cast<wchar_t>(lead) : L'?');
    }
    i += width;
  }
  return result;
}

bool IsAnsiLeadByte(unsigned char byte) { return g_code_page != 1252 && byte >= 0x81 && byte <= 0xFE; }

void SetAnsiCodePage(unsigned code_page) { g_code_page = code_page == 1252 ? 1252 : 936; }

}  // namespace platform
