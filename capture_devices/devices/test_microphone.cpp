// The test microphone: a steady 1 kHz tone at a quarter of full scale. Two values under the
// current user's "Software\Quorlin Test Microphone" key play a real microphone's faults:
// "clock_ppm" (a signed REG_DWORD, read when it starts) makes its clock that many parts per
// million fast, or slow when negative; "unplugged" (a REG_DWORD, looked at with every chunk)
// other than 0 makes it deliver nothing, as a microphone pulled out does.
#include <windows.h>

#include "capture_devices/devices/devices.h"
#include "capture_devices/devices/sound_stream.h"
#include "capture_devices/rules/pcm.h"

namespace capture {
namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\Quorlin Test Microphone";

DWORD ReadSetting(const wchar_t* name) {
  DWORD value = 0, size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
    return 0;
  return value;
}

class TestMicrophoneStream final : public SoundStream {
 public:
  bool Begin(const MediaType&) override {
    m_clockRate = 1.0 + static_cast<int32_t>(ReadSetting(L"clock_ppm")) * 1e-6;
    return true;
  }
  double ClockRate() const override { return m_clockRate; }
  long Fill(BYTE* data, long capacity, HBITMAP) override {
    if (ReadSetting(L"unplugged") != 0) return 0;
    const size_t frames = static_cast<size_t>(capacity) / kBytesPerFrame;
    m_tone.Fill(reinterpret_cast<int16_t*>(data), frames);
    return static_cast<long>(frames * kBytesPerFrame);
  }
  void End() override {}

 private:
  ToneGenerator m_tone{1000.0, 0.25};
  double m_clockRate = 1.0;
};

}  // namespace

std::unique_ptr<CaptureStream> CreateTestMicrophoneStream() { return std::make_unique<TestMicrophoneStream>(); }

}  // namespace capture
