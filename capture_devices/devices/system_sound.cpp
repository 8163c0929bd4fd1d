// "virtual-audio-capturer": what the system plays, through loopback capture of the default
// output device where the platform offers it, and silence otherwise, so that a recording
// always has a sound track of the right length.
#include "capture_devices/devices/devices.h"
#include "capture_devices/devices/loopback.h"
#include "capture_devices/devices/sound_stream.h"
#include "capture_devices/rules/pcm.h"

namespace capture {
namespace {

class SystemSoundStream final : public SoundStream {
 public:
  bool Begin(const MediaType&) override {
    m_loopback.Open();  // without it: silence
    return true;
  }
  long Fill(BYTE* data, long capacity, HBITMAP) override {
    const size_t frames = static_cast<size_t>(capacity) / kBytesPerFrame;
    m_loopback.Read(reinterpret_cast<int16_t*>(data), frames);
    return static_cast<long>(frames * kBytesPerFrame);
  }
  void End() override { m_loopback.Close(); }

 private:
  Loopback m_loopback;
};

}  // namespace

std::unique_ptr<CaptureStream> CreateSystemSoundStream() { return std::make_unique<SystemSoundStream>(); }

}  // namespace capture
