// "virtual-audio-capturer": what the system plays, captured from the default output device,
// and silence while there is nothing to capture, so that a recording always has a sound track
// of the right length.
#include "capture_devices/devices/devices.h"
#include "capture_devices/devices/loopback.h"
#include "capture_devices/devices/sound_stream.h"
#include "capture_devices/rules/pcm.h"

namespace capture {
namespace {

class SystemSoundStream final : public SoundStream {
 public:
  bool Begin(const MediaType&) override {
    m_loopback.Start();  // without a device: silence until one can be opened
    return true;
  }
  long Fill(BYTE* data, long capacity, HBITMAP) override {
    const size_t frames = static_cast<size_t>(capacity) / kBytesPerFrame;
    m_loopback.Read(reinterpret_cast<int16_t*>(data), frames, m_nLateFrames);
    return static_cast<long>(frames * kBytesPerFrame);
  }
  void ChunkLateBy(REFERENCE_TIME late) override {
    m_nLateFrames = late > 0 ? static_cast<size_t>(late * kSampleRate / 10000000) : 0;
  }
  void End() override { m_loopback.Stop(); }

 private:
  Loopback m_loopback;
  size_t m_nLateFrames = 0;
};

}  // namespace

std::unique_ptr<CaptureStream> CreateSystemSoundStream() { return std::make_unique<SystemSoundStream>(); }

}  // namespace capture
