// The test camera: a moving test pattern with a frame counter, in the formats a webcam offers.
// The format it was last set to is kept in the registry for tests to read.
#include <windows.h>

#include <string>
#include <vector>

#include "capture_devices/devices/devices.h"
#include "capture_devices/rules/test_pattern.h"

namespace capture {
namespace {

constexpr int64_t kInterval = 400000;  // 25 frames per second by default
constexpr int64_t kMinInterval = 10000000 / 60;
constexpr int64_t kMaxInterval = 10000000 / 5;

const wchar_t* SubtypeName(const GUID& subtype) {
  if (subtype == MEDIASUBTYPE_YUY2) return L"YUY2";
  if (subtype == MEDIASUBTYPE_RGB24) return L"RGB24";
  return L"RGB32";
}

const wchar_t kSettingsKey[] = L"Software\\Quorlin\\Test Devices";

// Tests make the next opening of the camera slow, as some webcams are, with the DWORD value
// "camera_open_delay_ms" (at most a minute): the thread that opens it is held that long. The
// value is used up, so that a test that stops early leaves no slow camera to the next one.
void WaitAsASlowCameraWould() {
  DWORD delay_ms = 0;
  DWORD size = sizeof delay_ms;
  if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, L"camera_open_delay_ms", RRF_RT_REG_DWORD, nullptr, &delay_ms,
                   &size) != ERROR_SUCCESS)
    return;
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"camera_open_delay_ms");
  Sleep(delay_ms < 60000 ? delay_ms : 60000);
}

class TestCameraStream final : public CaptureStream {
 public:
  TestCameraStream() {
    WaitAsASlowCameraWould();
    // RGB32 first at 1280x720: the default, and the format every video renderer draws.
    const struct {
      const GUID* subtype;
      int width, height;
    } formats[] = {{&MEDIASUBTYPE_RGB32, 1280, 720},
                   {&MEDIASUBTYPE_RGB32, 640, 480},
                   {&MEDIASUBTYPE_RGB32, 1920, 1080},
                   {&MEDIASUBTYPE_YUY2, 640, 480},
                   {&MEDIASUBTYPE_RGB24, 640, 480}};
    for (const auto& f : formats)
      m_caps.push_back(MakeVideoCaps(*f.subtype, f.width, f.height, kInterval, kMinInterval, kMaxInterval));
  }

  bool IsVideo() const override { return true; }
  const std::vector<StreamCaps>& Capabilities() const override { return m_caps; }

  void FormatChosen(const MediaType& format) override {
    const VIDEOINFOHEADER* vih = format.VideoInfo();
    if (!vih) return;
    const std::wstring text = std::wstring(SubtypeName(format.get().subtype)) + L" " +
                              std::to_wstring(vih->bmiHeader.biWidth) + L"x" + std::to_wstring(vih->bmiHeader.biHeight);
    RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"camera_format", REG_SZ, text.c_str(),
                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }

  bool Begin(const MediaType& format) override {
    const VIDEOINFOHEADER* vih = format.VideoInfo();
    if (!vih) return false;
    m_subtype = format.get().subtype;
    m_nWidth = vih->bmiHeader.biWidth;
    m_nHeight = vih->bmiHeader.biHeight;
    m_nImageBytes = vih->bmiHeader.biSizeImage;
    m_picture.assign(static_cast<size_t>(m_nWidth) * m_nHeight, 0);
    m_nFrame = 0;
    return true;
  }

  long Fill(BYTE* data, long capacity, HBITMAP) override {
    if (capacity < static_cast<long>(m_nImageBytes)) return 0;
    DrawTestPattern(m_picture.data(), m_nWidth, m_nHeight, m_nFrame++);
    if (m_subtype == MEDIASUBTYPE_YUY2)
      ToYuy2(m_picture.data(), m_nWidth, m_nHeight, data);
    else if (m_subtype == MEDIASUBTYPE_RGB24)
      ToRgb24BottomUp(m_picture.data(), m_nWidth, m_nHeight, data);
    else
      ToRgb32BottomUp(m_picture.data(), m_nWidth, m_nHeight, data);
    return static_cast<long>(m_nImageBytes);
  }

  void End() override { m_picture = std::vector<uint32_t>(); }

 private:
  std::vector<StreamCaps> m_caps;
  GUID m_subtype = MEDIASUBTYPE_RGB32;
  int m_nWidth = 0, m_nHeight = 0;
  DWORD m_nImageBytes = 0;
  uint64_t m_nFrame = 0;
  std::vector<uint32_t> m_picture;
};

}  // namespace

std::unique_ptr<CaptureStream> CreateTestCameraStream() { return std::make_unique<TestCameraStream>(); }

}  // namespace capture
