#include "capture_devices/core/media_type.h"

#include <mmreg.h>

#include <cstring>

#include "capture_devices/rules/i420.h"
#include "capture_devices/rules/pcm.h"
#include "capture_devices/rules/test_pattern.h"

namespace capture {

MediaType& MediaType::operator=(const MediaType& other) {
  if (this != &other) {
    Clear();
    CopyFrom(other.mt_);
  }
  return *this;
}

void MediaType::CopyFrom(const AM_MEDIA_TYPE& other) {
  mt_ = other;
  mt_.pUnk = nullptr;  // never used by our types; not shared
  mt_.pbFormat = nullptr;
  mt_.cbFormat = 0;
  if (other.cbFormat && other.pbFormat) {
    mt_.pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(other.cbFormat));
    if (mt_.pbFormat) {
      std::memcpy(mt_.pbFormat, other.pbFormat, other.cbFormat);
      mt_.cbFormat = other.cbFormat;
    }
  }
}

void MediaType::Clear() {
  CoTaskMemFree(mt_.pbFormat);
  mt_ = AM_MEDIA_TYPE{};
}

const VIDEOINFOHEADER* MediaType::VideoInfo() const {
  if (mt_.formattype != FORMAT_VideoInfo || mt_.cbFormat < sizeof(VIDEOINFOHEADER) || !mt_.pbFormat) return nullptr;
  return reinterpret_cast<const VIDEOINFOHEADER*>(mt_.pbFormat);
}

AM_MEDIA_TYPE* MediaType::NewTaskCopy() const {
  auto* out = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
  if (!out) return nullptr;
  if (FAILED(CopyTo(out))) {
    CoTaskMemFree(out);
    return nullptr;
  }
  return out;
}

HRESULT MediaType::CopyTo(AM_MEDIA_TYPE* out) const {
  *out = mt_;
  out->pbFormat = nullptr;
  out->cbFormat = 0;
  if (mt_.cbFormat) {
    out->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(mt_.cbFormat));
    if (!out->pbFormat) return E_OUTOFMEMORY;
    std::memcpy(out->pbFormat, mt_.pbFormat, mt_.cbFormat);
    out->cbFormat = mt_.cbFormat;
  }
  return S_OK;
}

int BitsPerPixel(const GUID& subtype) {
  if (subtype == kMediaSubtypeI420) return 12;
  if (subtype == MEDIASUBTYPE_YUY2) return 16;
  return subtype == MEDIASUBTYPE_RGB24 ? 24 : 32;
}

MediaType MakeVideoType(const GUID& subtype, int width, int height, int64_t interval) {
  VIDEOINFOHEADER vih{};
  BITMAPINFOHEADER& bih = vih.bmiHeader;
  bih.biSize = sizeof(BITMAPINFOHEADER);
  bih.biWidth = width;
  bih.biHeight = height;
  bih.biPlanes = 1;
  bih.biBitCount = static_cast<WORD>(BitsPerPixel(subtype));
  if (subtype == MEDIASUBTYPE_YUY2) {
    bih.biCompression = MAKEFOURCC('Y', 'U', 'Y', '2');
    bih.biSizeImage = static_cast<DWORD>(width) * height * 2;
  } else if (subtype == kMediaSubtypeI420) {
    bih.biCompression = MAKEFOURCC('I', '4', '2', '0');
    bih.biSizeImage = static_cast<DWORD>(I420Bytes(width, height));
  } else {
    bih.biCompression = BI_RGB;
    bih.biSizeImage = static_cast<DWORD>(RgbStride(width, bih.biBitCount)) * height;
  }
  vih.AvgTimePerFrame = interval;
  vih.dwBitRate = static_cast<DWORD>(uint64_t{bih.biSizeImage} * 8 * 10000000 / static_cast<uint64_t>(interval));

  AM_MEDIA_TYPE mt{};
  mt.majortype = MEDIATYPE_Video;
  mt.subtype = subtype;
  mt.bFixedSizeSamples = TRUE;
  mt.lSampleSize = bih.biSizeImage;
  mt.formattype = FORMAT_VideoInfo;
  mt.cbFormat = sizeof(vih);
  mt.pbFormat = reinterpret_cast<BYTE*>(&vih);
  return MediaType(mt);
}

MediaType MakeAudioType() {
  WAVEFORMATEX wf{};
  wf.wFormatTag = WAVE_FORMAT_PCM;
  wf.nChannels = kChannels;
  wf.nSamplesPerSec = kSampleRate;
  wf.wBitsPerSample = 16;
  wf.nBlockAlign = kBytesPerFrame;
  wf.nAvgBytesPerSec = kSampleRate * kBytesPerFrame;

  AM_MEDIA_TYPE mt{};
  mt.majortype = MEDIATYPE_Audio;
  mt.subtype = MEDIASUBTYPE_PCM;
  mt.bFixedSizeSamples = TRUE;
  mt.lSampleSize = kBytesPerFrame;
  mt.formattype = FORMAT_WaveFormatEx;
  mt.cbFormat = sizeof(wf);
  mt.pbFormat = reinterpret_cast<BYTE*>(&wf);
  return MediaType(mt);
}

void FreeTaskMediaType(AM_MEDIA_TYPE* mt) {
  if (!mt) return;
  CoTaskMemFree(mt->pbFormat);
  if (mt->pUnk) mt->pUnk->Release();
  CoTaskMemFree(mt);
}

bool SameType(const AM_MEDIA_TYPE& a, const AM_MEDIA_TYPE& b) {
  return a.majortype == b.majortype && a.subtype == b.subtype && a.formattype == b.formattype &&
         a.cbFormat == b.cbFormat && (a.cbFormat == 0 || std::memcmp(a.pbFormat, b.pbFormat, a.cbFormat) == 0);
}

}  // namespace capture
