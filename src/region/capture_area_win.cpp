#include "region/capture_area_win.h"

#include <windows.h>

#include "region/frame_rules.h"

namespace {

constexpr wchar_t kAreaKey[] = L"Software\\screen-capture-recorder\\";
constexpr wchar_t kMixedMicrophone[] = L"mix_microphone";

// The key, opened for one value only: no handle lives on between calls.
class ScopedAreaKey {
 public:
  ScopedAreaKey() {
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kAreaKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr,
                        &m_hKey, nullptr) != ERROR_SUCCESS) {
      m_hKey = nullptr;
    }
  }
  ~ScopedAreaKey() {
    if (m_hKey) RegCloseKey(m_hKey);
  }
  ScopedAreaKey(const ScopedAreaKey&) = delete;
  ScopedAreaKey& operator=(const ScopedAreaKey&) = delete;
  HKEY Get() const { return m_hKey; }

 private:
  HKEY m_hKey = nullptr;
};

}  // namespace

bool SetCaptureValue(const wchar_t* name, uint32_t value) {
  ScopedAreaKey key;
  if (!key.Get()) return false;
  const DWORD data = value;
  return RegSetValueExW(key.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data) ==
         ERROR_SUCCESS;
}

std::optional<uint32_t> GetCaptureValue(const wchar_t* name) {
  ScopedAreaKey key;
  DWORD value = 0, type = 0, size = sizeof value;
  if (!key.Get() ||
      RegQueryValueExW(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof value)
    return std::nullopt;
  return value;
}

bool DeleteCaptureValue(const wchar_t* name) {
  ScopedAreaKey key;
  return key.Get() && RegDeleteValueW(key.Get(), name) == ERROR_SUCCESS;
}

void WriteCaptureArea(int left, int top, int right, int bottom) {
  const CaptureAreaValues values = CaptureValuesFor({left, top, right, bottom});
  // Negative positions (a frame partly off the screen) are kept as their 32-bit pattern.
  SetCaptureValue(L"start_x", static_cast<uint32_t>(values.start_x));
  SetCaptureValue(L"start_y", static_cast<uint32_t>(values.start_y));
  SetCaptureValue(L"capture_height", static_cast<uint32_t>(values.capture_height));
  SetCaptureValue(L"capture_width", static_cast<uint32_t>(values.capture_width));
}

void WriteMixedMicrophone(const std::wstring& friendly_name) {
  ScopedAreaKey key;
  if (!key.Get()) return;
  if (friendly_name.empty()) {
    RegDeleteValueW(key.Get(), kMixedMicrophone);
    return;
  }
  RegSetValueExW(key.Get(), kMixedMicrophone, 0, REG_SZ, reinterpret_cast<const BYTE*>(friendly_name.c_str()),
                 static_cast<DWORD>((friendly_name.size() + 1) * sizeof(wchar_t)));
}

void ClearCaptureArea() {
  DeleteCaptureValue(L"start_x");
  DeleteCaptureValue(L"start_y");
  DeleteCaptureValue(L"capture_height");
  DeleteCaptureValue(L"capture_width");
}
