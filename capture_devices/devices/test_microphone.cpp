// The test microphone: a steady 1 kHz tone at a quarter of full scale.
#include "capture_devices/devices/devices.h"
#include "capture_devices/devices/sound_stream.h"
#include "capture_devices/rules/pcm.h"

namespace capture {
namespace {

class TestMicrophoneStream final : public SoundStream {
 public:
  bool Begin(const MediaType&) override { return true; }
  long Fill(BYTE* data, long capacity, HBITMAP) override {
    const size_t frames = static_cast<size_t>(capacity) / kBytesPerFrame;
    m_tone.Fill(reinterpret_cast<int16_t*>(data), frames);
    return static_cast<long>(frames * kBytesPerFrame);
  }
  void End() override {}

 private:
  ToneGenerator m_tone{1000.0, 0.25};
};

}  // namespace

std::unique_ptr<CaptureStream> CreateTestMicrophoneStream() { return std::make_unique<TestMicrophoneStream>(); }

}  // namespace capture
