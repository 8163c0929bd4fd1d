// What our sound devices share: one format, 48 kHz 16-bit stereo, delivered in real time in
// chunks that the pin paces.
#pragma once
#include <vector>

#include "capture_devices/core/capture_stream.h"

namespace capture {

class SoundStream : public CaptureStream {
 public:
  SoundStream() { m_caps.push_back(MakeAudioCaps()); }
  bool IsVideo() const override { return false; }
  const std::vector<StreamCaps>& Capabilities() const override { return m_caps; }

 private:
  std::vector<StreamCaps> m_caps;
};

}  // namespace capture
