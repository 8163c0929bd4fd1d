// AM_MEDIA_TYPE values that own their format block, and the types our devices offer.
#pragma once
#include <dshow.h>

#include <cstdint>

namespace capture {

class MediaType {
 public:
  MediaType() = default;
  explicit MediaType(const AM_MEDIA_TYPE& other) { CopyFrom(other); }
  MediaType(const MediaType& other) { CopyFrom(other.mt_); }
  MediaType& operator=(const MediaType& other);
  ~MediaType() { Clear(); }

  const AM_MEDIA_TYPE& get() const { return mt_; }
  bool empty() const { return mt_.majortype == GUID_NULL; }
  // The video info header of a video type (checked: FORMAT_VideoInfo, a block large enough).
  const VIDEOINFOHEADER* VideoInfo() const;
  VIDEOINFOHEADER* MutableVideoInfo() { return const_cast<VIDEOINFOHEADER*>(VideoInfo()); }

  // A copy on the COM task heap, as IEnumMediaTypes and IAMStreamConfig hand them out.
  AM_MEDIA_TYPE* NewTaskCopy() const;
  // Copies into an existing record (IPin::ConnectionMediaType).
  HRESULT CopyTo(AM_MEDIA_TYPE* out) const;

 private:
  void CopyFrom(const AM_MEDIA_TYPE& other);
  void Clear();
  AM_MEDIA_TYPE mt_{};
};

// Planar 4:2:0 (FourCC "I420": the luma plane, then the blue and red difference planes at half
// size each way, top row first), which the encoder records without converting.
inline constexpr GUID kMediaSubtypeI420 = {
    0x30323449, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// Bits per pixel of our video subtypes: 12 (I420), 16 (YUY2), 24 or 32 (RGB).
int BitsPerPixel(const GUID& subtype);

// A bottom-up RGB picture (bits 32 or 24), a YUY2 or an I420 one, FORMAT_VideoInfo, at
// `interval` (100-ns units per frame).
MediaType MakeVideoType(const GUID& subtype, int width, int height, int64_t interval);
// 48 kHz 16-bit stereo PCM.
MediaType MakeAudioType();

// Frees a media type handed out on the task heap (as DeleteMediaType in the SDK's helpers).
void FreeTaskMediaType(AM_MEDIA_TYPE* mt);

// Same major type, subtype and format type, and the same format block bytes.
bool SameType(const AM_MEDIA_TYPE& a, const AM_MEDIA_TYPE& b);

}  // namespace capture
