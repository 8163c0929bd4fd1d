#include "capture_devices/core/capture_stream.h"

#include <algorithm>
#include <climits>

#include "capture_devices/rules/pcm.h"

namespace capture {

StreamCaps MakeVideoCaps(const GUID& subtype, int width, int height, int64_t interval, int64_t min_interval,
                         int64_t max_interval) {
  StreamCaps caps;
  caps.type = MakeVideoType(subtype, width, height, interval);
  VIDEO_STREAM_CONFIG_CAPS& v = caps.video;
  v.guid = FORMAT_VideoInfo;
  v.InputSize = v.MinCroppingSize = v.MaxCroppingSize = v.MinOutputSize = v.MaxOutputSize = SIZE{width, height};
  v.CropGranularityX = v.CropGranularityY = v.OutputGranularityX = v.OutputGranularityY = 1;
  v.MinFrameInterval = min_interval;
  v.MaxFrameInterval = max_interval;
  const int64_t bits = int64_t{caps.type.VideoInfo()->bmiHeader.biSizeImage} * 8;
  const auto rate = [bits](int64_t interval) {
    return static_cast<LONG>(std::min<int64_t>(bits * 10000000 / interval, LONG_MAX));
  };
  v.MinBitsPerSecond = rate(max_interval);
  v.MaxBitsPerSecond = rate(min_interval);
  return caps;
}

StreamCaps MakeAudioCaps() {
  StreamCaps caps;
  caps.type = MakeAudioType();
  AUDIO_STREAM_CONFIG_CAPS& a = caps.audio;
  a.guid = MEDIATYPE_Audio;
  a.MinimumChannels = a.MaximumChannels = kChannels;
  a.ChannelsGranularity = 1;
  a.MinimumBitsPerSample = a.MaximumBitsPerSample = 16;
  a.BitsPerSampleGranularity = 16;
  a.MinimumSampleFrequency = a.MaximumSampleFrequency = kSampleRate;
  a.SampleFrequencyGranularity = 1;
  return caps;
}

}  // namespace capture
