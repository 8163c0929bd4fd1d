#include "capture_devices/devices/loopback.h"

#include <audioclient.h>
#include <mmdeviceapi.h>
#include <mmreg.h>

#include <algorithm>
#include <vector>

#include "platform/com_ptr.h"
#include "capture_devices/rules/pcm.h"

namespace capture {

using platform::ComPtr;

namespace {
const GUID kFloatSubtype = {0x00000003, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
}  // namespace

struct Loopback::Capture {
  ComPtr<IAudioClient> client;
  ComPtr<IAudioCaptureClient> capture;
  std::unique_ptr<PcmConverter> converter;
  size_t frame_bytes = 0;
};

Loopback::Loopback() = default;
Loopback::~Loopback() { Close(); }

bool Loopback::Open() {
  Close();
  auto p = std::make_unique<Capture>();
  ComPtr<IMMDeviceEnumerator> enumerator;
  ComPtr<IMMDevice> device;
  if (FAILED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                              enumerator.ReceiveVoid())) ||
      FAILED(enumerator->GetDefaultAudioEndpoint(eRender, eConsole, device.Receive())) ||
      FAILED(device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, p->client.ReceiveVoid())))
    return false;
  WAVEFORMATEX* mix = nullptr;
  if (FAILED(p->client->GetMixFormat(&mix))) return false;
  const bool is_float = mix->wFormatTag == WAVE_FORMAT_IEEE_FLOAT ||
                        (mix->wFormatTag == WAVE_FORMAT_EXTENSIBLE &&
                         reinterpret_cast<WAVEFORMATEXTENSIBLE*>(mix)->SubFormat == kFloatSubtype);
  const bool usable = (is_float && mix->wBitsPerSample == 32) || (!is_float && mix->wBitsPerSample == 16);
  bool ok = usable && mix->nChannels > 0 &&
            SUCCEEDED(p->client->Initialize(AUDCLNT_SHAREMODE_SHARED, AUDCLNT_STREAMFLAGS_LOOPBACK, 10000000, 0, mix,
                                            nullptr));
  if (ok) {
    p->converter = std::make_unique<PcmConverter>(static_cast<int>(mix->nSamplesPerSec), mix->nChannels, is_float);
    p->frame_bytes = mix->nBlockAlign;
  }
  CoTaskMemFree(mix);
  ok = ok && SUCCEEDED(p->client->GetService(__uuidof(IAudioCaptureClient), p->capture.ReceiveVoid())) &&
       SUCCEEDED(p->client->Start());
  if (ok) m_p = std::move(p);
  return ok;
}

void Loopback::Read(int16_t* stereo, size_t frames) {
  UINT32 packet = 0;
  while (m_p && SUCCEEDED(m_p->capture->GetNextPacketSize(&packet)) && packet > 0) {
    BYTE* data = nullptr;
    UINT32 count = 0;
    DWORD flags = 0;
    if (FAILED(m_p->capture->GetBuffer(&data, &count, &flags, nullptr, nullptr))) break;
    if (flags & AUDCLNT_BUFFERFLAGS_SILENT) {
      const std::vector<BYTE> silence(count * m_p->frame_bytes, 0);
      m_p->converter->Push(silence.data(), count);
    } else {
      m_p->converter->Push(data, count);
    }
    m_p->capture->ReleaseBuffer(count);
  }
  if (m_p)
    m_p->converter->Take(stereo, frames);
  else
    std::fill(stereo, stereo + frames * kChannels, int16_t{0});
}

void Loopback::Close() {
  if (m_p && m_p->client) m_p->client->Stop();
  m_p.reset();
}

}  // namespace capture
