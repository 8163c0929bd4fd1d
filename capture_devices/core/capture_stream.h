// What one device does: the formats it offers, and making one frame or one chunk of sound at a
// time on the streaming thread. The filter and pin around it are shared by every device.
#pragma once
// <string> before <dshow.h>, whose strsafe.h renames the printf family <string> uses.
#include <string>

#include <dshow.h>

#include <memory>
#include <vector>

#include "capture_devices/core/media_type.h"

namespace capture {

// One capability as IAMStreamConfig hands it out: the media type and its limits.
struct StreamCaps {
  MediaType type;
  VIDEO_STREAM_CONFIG_CAPS video{};  // for video devices
  AUDIO_STREAM_CONFIG_CAPS audio{};  // for audio devices
};

// A capability of a video device: one subtype and size at frame intervals from
// `min_interval` to `max_interval` (100-ns units), `interval` by default.
StreamCaps MakeVideoCaps(const GUID& subtype, int width, int height, int64_t interval, int64_t min_interval,
                         int64_t max_interval);
// The one capability of our sound devices: 48 kHz 16-bit stereo.
StreamCaps MakeAudioCaps();

class CaptureStream {
 public:
  virtual ~CaptureStream() = default;

  virtual bool IsVideo() const = 0;
  // In the order offered; the first is the format used until another is chosen.
  virtual const std::vector<StreamCaps>& Capabilities() const = 0;
  // The format a caller chose (IAMStreamConfig::SetFormat) or the connection settled on.
  virtual void FormatChosen(const MediaType& /*format*/) {}

  // For a sound device, before each Fill: how long after its due time the chunk is made (a
  // streaming thread that was held up makes the chunks it owes one after the other).
  virtual void ChunkLateBy(REFERENCE_TIME /*late*/) {}
  // For a sound device: how long before its due time a chunk's sound ends (what the device
  // holds back to smooth its packets), so that the chunk is stamped when its sound was made.
  virtual REFERENCE_TIME SoundDelay() const { return 0; }
  // For a sound device whose clock runs apart from the performance counter (the test
  // microphone, to show drift): its chunks come this many times as often, 1.0003 being 300 ppm
  // fast.
  virtual double ClockRate() const { return 1.0; }

  // True for a video device that draws with GDI: its samples are then DIB sections when the
  // downstream agrees, and Fill gets the bitmap to draw into.
  virtual bool DrawsIntoBitmaps() const { return false; }

  // Called on the streaming thread: Begin before the first frame (false: nothing can be
  // delivered), Fill once per frame or chunk into a buffer of `capacity` bytes, which is the
  // DIB section `bitmap` when that is not null (returns the bytes written, 0 when nothing could
  // be made), End after the last.
  virtual bool Begin(const MediaType& format) = 0;
  virtual long Fill(BYTE* data, long capacity, HBITMAP bitmap) = 0;
  virtual void End() = 0;

  // The device's own figures for its stats line (" name=value" each), read after the
  // streaming thread has ended.
  virtual std::string StatsFigures() const { return {}; }
};

// One device of a DLL: how it is registered and how its stream is made.
struct DeviceInfo {
  const CLSID* clsid;
  const wchar_t* friendly_name;
  const GUID* category;  // CLSID_VideoInputDeviceCategory or CLSID_AudioInputDeviceCategory
  std::unique_ptr<CaptureStream> (*create_stream)();
};

// Each DLL lists its devices.
extern const DeviceInfo kDevices[];
extern const size_t kDeviceCount;

}  // namespace capture
