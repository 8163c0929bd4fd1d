#include "capture_devices/devices/loopback.h"

#include <audioclient.h>
#include <mmdeviceapi.h>
#include <mmreg.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "capture_devices/devices/sound_endpoints.h"
#include "capture_devices/rules/pcm.h"
#include "capture_devices/rules/sound_cushion.h"
#include "platform/com_ptr.h"

namespace capture {

using platform::ComPtr;

namespace {

const GUID kFloatSubtype = {0x00000003, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
const GUID kPcmSubtype = {0x00000001, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

constexpr ULONGLONG kCheckInterval = 1000;  // ms between looks at the default output
constexpr ULONGLONG kRetryInterval = 250;   // ms between attempts to open while nothing is open
// A monitor hears silence as well, in packets as steady as the output's; none for this long
// means its stream was cut off (PulseAudio moving it to another output, say). Its first packet
// may take longer (a sound server mixing in long blocks while nobody asks for less).
constexpr ULONGLONG kMonitorSilence = 500;       // ms
constexpr ULONGLONG kMonitorFirstPacket = 3000;  // ms

// Tells the streaming thread that the default output or a device changed, where the system
// says so (Windows does; Wine does not for PulseAudio's changes, which the regular look finds).
class DeviceChanges final : public IMMNotificationClient {
 public:
  bool Take() { return m_bChanged.exchange(false); }

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (riid != IID_IUnknown && riid != __uuidof(IMMNotificationClient)) {
      *ppv = nullptr;
      return E_NOINTERFACE;
    }
    *ppv = static_cast<IMMNotificationClient*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++m_nRef; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --m_nRef;
    if (left == 0) delete this;
    return left;
  }
  STDMETHODIMP OnDeviceStateChanged(LPCWSTR, DWORD) override { return Changed(); }
  STDMETHODIMP OnDeviceAdded(LPCWSTR) override { return Changed(); }
  STDMETHODIMP OnDeviceRemoved(LPCWSTR) override { return Changed(); }
  STDMETHODIMP OnDefaultDeviceChanged(EDataFlow flow, ERole role, LPCWSTR) override {
    return flow == eRender && role == eConsole ? Changed() : S_OK;
  }
  STDMETHODIMP OnPropertyValueChanged(LPCWSTR, const PROPERTYKEY) override { return S_OK; }

 private:
  HRESULT Changed() {
    m_bChanged = true;
    return S_OK;
  }
  std::atomic<ULONG> m_nRef{1};
  std::atomic<bool> m_bChanged{false};
};

// The performance counter in 100-ns units, as WASAPI gives a packet's capture instant.
int64_t CounterNow() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return now.QuadPart / frequency.QuadPart * 10000000 +
         now.QuadPart % frequency.QuadPart * 10000000 / frequency.QuadPart;
}

// One opened capture client and the conversion of its format.
struct Endpoint {
  std::wstring output_id;  // the default output it captures
  bool monitor = false;    // a monitor input, not a loopback of the output
  const ULONGLONG opened_at = GetTickCount64();
  ULONGLONG last_packet = 0;   // GetTickCount64 time of the last packet, 0 before the first
  ULONGLONG longest_wait = 0;  // ms between two packets, for the stats line
  ComPtr<IAudioClient> client;
  ComPtr<IAudioCaptureClient> capture;
  std::unique_ptr<PcmConverter> converter;
  size_t frame_bytes = 0;
  int rate = 0;
  // When the newest converted frame was captured (performance counter, 100-ns units); 0
  // before the first packet.
  int64_t newest_capture = 0;
  std::vector<BYTE> silence;
  HRESULT error = S_OK;  // the step of Open that failed, where the system said why

  ~Endpoint() {
    if (client) client->Stop();
  }

  // Starts capturing `device` (with AUDCLNT_STREAMFLAGS_LOOPBACK: what that output plays).
  bool Open(IMMDevice* device, DWORD flags) {
    error = device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, client.ReceiveVoid());
    if (FAILED(error)) return false;
    WAVEFORMATEX* mix = nullptr;
    if (FAILED(error = client->GetMixFormat(&mix))) return false;
    const auto* extensible = mix->wFormatTag == WAVE_FORMAT_EXTENSIBLE && mix->cbSize >= 22
                                 ? reinterpret_cast<const WAVEFORMATEXTENSIBLE*>(mix)
                                 : nullptr;
    const bool is_float =
        mix->wFormatTag == WAVE_FORMAT_IEEE_FLOAT || (extensible && extensible->SubFormat == kFloatSubtype);
    const bool is_pcm = mix->wFormatTag == WAVE_FORMAT_PCM || (extensible && extensible->SubFormat == kPcmSubtype);
    // Formats we cannot convert leave this endpoint unused: the recording gets silence.
    const bool usable = ((is_float && mix->wBitsPerSample == 32) || (is_pcm && mix->wBitsPerSample == 16)) &&
                        mix->nChannels > 0 && mix->nSamplesPerSec > 0;
    // 200 ms of room: Read comes every 20 ms, and a streaming thread held up longer loses sound anyway.
    if (usable) error = client->Initialize(AUDCLNT_SHAREMODE_SHARED, flags, 2000000, 0, mix, nullptr);
    bool ok = usable && SUCCEEDED(error);
    if (ok) {
      converter = std::make_unique<PcmConverter>(static_cast<int>(mix->nSamplesPerSec), mix->nChannels, is_float,
                                                 extensible ? extensible->dwChannelMask : 0);
      frame_bytes = mix->nBlockAlign;
      rate = static_cast<int>(mix->nSamplesPerSec);
    }
    CoTaskMemFree(mix);
    // Wine takes a loopback client but refuses it the capture service.
    ok = ok && SUCCEEDED(error = client->GetService(__uuidof(IAudioCaptureClient), capture.ReceiveVoid())) &&
         SUCCEEDED(error = client->Start());
    if (!ok) client.Reset();
    return ok;
  }

  // Converts every packet that has come; false when the device failed (lost, format changed,
  // a monitor that went quiet).
  bool Drain() {
    for (;;) {
      UINT32 packet = 0;
      if (FAILED(capture->GetNextPacketSize(&packet))) return false;
      if (packet == 0) {
        const ULONGLONG now = GetTickCount64();
        return !monitor || (last_packet ? now - last_packet < kMonitorSilence : now - opened_at < kMonitorFirstPacket);
      }
      const ULONGLONG now = GetTickCount64();
      if (last_packet) longest_wait = std::max(longest_wait, now - last_packet);
      last_packet = now;
      BYTE* data = nullptr;
      UINT32 count = 0;
      DWORD flags = 0;
      UINT64 position = 0, captured = 0;
      const HRESULT hr = capture->GetBuffer(&data, &count, &flags, &position, &captured);
      if (hr == AUDCLNT_S_BUFFER_EMPTY) return true;
      if (FAILED(hr)) return false;
      // The packet's place on the timeline is the instant its first frame was captured, which
      // the system gives with it; only where it cannot, the instant it is read.
      const int64_t first =
          captured && !(flags & AUDCLNT_BUFFERFLAGS_TIMESTAMP_ERROR) ? static_cast<int64_t>(captured) : CounterNow();
      newest_capture = first + static_cast<int64_t>(count) * 10000000 / rate;
      if (flags & AUDCLNT_BUFFERFLAGS_SILENT) {
        silence.assign(static_cast<size_t>(count) * frame_bytes, 0);
        converter->Push(silence.data(), count);
      } else {
        converter->Push(data, count);
      }
      if (FAILED(capture->ReleaseBuffer(count))) return false;
    }
  }
};

}  // namespace

struct Loopback::State {
  ComPtr<IMMDeviceEnumerator> enumerator;
  ComPtr<DeviceChanges> changes;
  std::unique_ptr<Endpoint> endpoint;
  SoundCushion cushion;
  ULONGLONG next_look = 0;  // GetTickCount64 time of the next look at the default output
  double age_sum = 0;       // of the newest sound's age at each chunk, for the stats line
  int64_t age_count = 0;
  size_t age_max = 0;
  ULONGLONG packet_wait_max = 0;  // ms, the longest the system left us without a packet
  int64_t dry_chunks = 0;         // chunks the cushion could not fill with played sound

  std::string StatsFigures() const;

  std::wstring DefaultOutputId() const {
    ComPtr<IMMDevice> output;
    if (FAILED(enumerator->GetDefaultAudioEndpoint(eRender, eConsole, output.Receive()))) return L"";
    return IdOf(output.get());
  }

  // Captures the default output: loopback where the system allows it, else its monitor.
  // Nothing opened is retried soon (the device held exclusively, being removed).
  void Open() {
    endpoint.reset();
    ComPtr<IMMDevice> output;
    if (!enumerator || FAILED(enumerator->GetDefaultAudioEndpoint(eRender, eConsole, output.Receive()))) return;
    auto opened = std::make_unique<Endpoint>();
    if (!opened->Open(output.get(), AUDCLNT_STREAMFLAGS_LOOPBACK)) {
      const bool refused = opened->error == AUDCLNT_E_WRONG_ENDPOINT_TYPE;
      ComPtr<IMMDevice> monitor = FindMonitorOf(enumerator.get(), output.get(), refused);
      opened = std::make_unique<Endpoint>();
      if (!monitor || !opened->Open(monitor.get(), 0)) return;
      opened->monitor = true;
    }
    opened->output_id = IdOf(output.get());
    endpoint = std::move(opened);
  }
};

Loopback::Loopback() = default;
Loopback::~Loopback() { Stop(); }

void Loopback::Start() {
  Stop();
  m_p = std::make_unique<State>();
  if (FAILED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                              m_p->enumerator.ReceiveVoid())))
    return;  // no sound system: silence
  m_p->changes = ComPtr<DeviceChanges>::Adopt(new DeviceChanges);
  if (FAILED(m_p->enumerator->RegisterEndpointNotificationCallback(m_p->changes.get()))) m_p->changes.Reset();
  m_p->Open();
  m_p->next_look = GetTickCount64() + kCheckInterval;
}

void Loopback::Read(int16_t* stereo, size_t frames, size_t late_frames) {
  State* s = m_p.get();
  if (!s || !s->enumerator) {
    std::fill(stereo, stereo + frames * kChannels, int16_t{0});
    return;
  }
  const ULONGLONG now = GetTickCount64();
  const bool told = s->changes && s->changes->Take();
  if (told || now >= s->next_look) {
    if (!s->endpoint || s->DefaultOutputId() != s->endpoint->output_id) s->Open();
    s->next_look = now + (s->endpoint ? kCheckInterval : kRetryInterval);
  }
  if (s->endpoint && !s->endpoint->Drain()) {
    // Lost (unplugged, its format changed, the sound server went away): opened again at once,
    // else soon; the cushion plays out and silence fills the gap.
    s->Open();
    s->next_look = now + (s->endpoint ? kCheckInterval : kRetryInterval);
  }
  if (s->endpoint) {
    Endpoint& e = *s->endpoint;
    // How long ago the newest sound was captured: the cushion holds the sound that long plus
    // what it keeps, so that the sound's delay does not depend on how the system hands it over.
    size_t age = 0;
    if (e.newest_capture) {
      const int64_t ago = CounterNow() - e.newest_capture;
      age = ago > 0 ? static_cast<size_t>(ago * kSampleRate / 10000000) : 0;
      s->age_sum += static_cast<double>(age);
      ++s->age_count;
      s->age_max = std::max(s->age_max, age);
    }
    if (s->cushion.Take(*e.converter, stereo, frames, late_frames, age) < frames) ++s->dry_chunks;
    s->packet_wait_max = std::max(s->packet_wait_max, e.longest_wait);
  } else
    std::fill(stereo, stereo + frames * kChannels, int16_t{0});
}

std::string Loopback::State::StatsFigures() const {
  if (!age_count) return {};
  char figures[240];
  std::snprintf(figures, sizeof figures,
                " sound_age_ms_mean=%.1f sound_age_ms_max=%.1f cushion_dropped=%lld cushion_repeated=%lld"
                " dry_chunks=%lld packet_wait_ms_max=%llu",
                age_sum / static_cast<double>(age_count) * 1000 / kSampleRate,
                static_cast<double>(age_max) * 1000 / kSampleRate, static_cast<long long>(cushion.dropped()),
                static_cast<long long>(cushion.repeated()), static_cast<long long>(dry_chunks),
                static_cast<unsigned long long>(packet_wait_max));
  return figures;
}

void Loopback::Stop() {
  if (m_p && m_p->changes) m_p->enumerator->UnregisterEndpointNotificationCallback(m_p->changes.get());
  if (m_p) m_strStats = m_p->StatsFigures();
  m_p.reset();
}

}  // namespace capture
