// "virtual-audio-capturer": what the system plays, captured from the default output device,
// and silence while there is nothing to capture, so that a recording always has a sound track
// of the right length. With a microphone named by the program, that microphone mixed in.
#include "capture_devices/devices/devices.h"
#include "capture_devices/devices/loopback.h"
#include "capture_devices/devices/microphone_input.h"
#include "capture_devices/devices/sound_stream.h"
#include "capture_devices/rules/pcm.h"
#include "capture_devices/rules/sound_cushion.h"
#include "capture_devices/rules/sound_mix.h"

namespace capture {
namespace {

class SystemSoundStream final : public SoundStream {
 public:
  bool Begin(const MediaType&) override {
    m_loopback.Start();  // without a device: silence until one can be opened
    const std::wstring microphone = MicrophoneToMix();
    if (!microphone.empty()) {
      m_microphone = std::make_unique<MicrophoneInput>(microphone);
      m_microphone->Open();  // here, on the streaming thread before the recording runs
    }
    return true;
  }
  long Fill(BYTE* data, long capacity, HBITMAP) override {
    const size_t frames = static_cast<size_t>(capacity) / kBytesPerFrame;
    auto* stereo = reinterpret_cast<int16_t*>(data);
    m_loopback.Read(stereo, frames, m_nLateFrames);
    if (m_microphone) {
      m_voice.resize(frames * kChannels);
      m_microphone->Read(m_voice.data(), frames, m_nLateFrames);
      MixInto(stereo, m_voice.data(), frames, MixLevels{});
    }
    return static_cast<long>(frames * kBytesPerFrame);
  }
  void ChunkLateBy(REFERENCE_TIME late) override {
    m_nLateFrames = late > 0 ? static_cast<size_t>(late * kSampleRate / 10000000) : 0;
  }
  REFERENCE_TIME SoundDelay() const override {
    return static_cast<REFERENCE_TIME>(SoundCushion::kTarget) * 10000000 / kSampleRate;
  }
  std::string StatsFigures() const override { return m_loopback.StatsFigures(); }
  void End() override {
    m_microphone.reset();
    m_loopback.Stop();
  }

 private:
  Loopback m_loopback;
  std::unique_ptr<MicrophoneInput> m_microphone;  // none unless the program asked for one
  std::vector<int16_t> m_voice;                   // the microphone's part of a chunk
  size_t m_nLateFrames = 0;
};

}  // namespace

std::unique_ptr<CaptureStream> CreateSystemSoundStream() { return std::make_unique<SystemSoundStream>(); }

}  // namespace capture
