#include "capture_devices/devices/microphone_input.h"

// <string> before <dshow.h>, whose strsafe.h renames the printf family <string> uses.
#include <string>

#include <dshow.h>
#include <qedit.h>

#include <algorithm>
#include <atomic>
#include <mutex>

#include "capture_devices/rules/pcm.h"
#include "capture_devices/rules/sound_cushion.h"
#include "platform/com_ptr.h"

namespace capture {

using platform::ComPtr;

namespace {

// The editing services' sample grabber and null renderer (qedit.h declares their interfaces only).
const CLSID kSampleGrabber = {0xc1f400a0, 0x3f08, 0x11d3, {0x9f, 0x0b, 0x00, 0x60, 0x08, 0x03, 0x9e, 0x37}};
const CLSID kNullRenderer = {0xc1f400a4, 0x3f08, 0x11d3, {0x9f, 0x0b, 0x00, 0x60, 0x08, 0x03, 0x9e, 0x37}};

constexpr wchar_t kDeviceKey[] = L"Software\\screen-capture-recorder";
constexpr wchar_t kMixValue[] = L"mix_microphone";

constexpr ULONGLONG kRetryInterval = 1000;  // ms between attempts to open while nothing is open
// A running microphone delivers every few tens of milliseconds, silence included; none for
// this long means it stopped. Its first sound may take longer (a device starting up).
constexpr ULONGLONG kSilentFor = 1000;   // ms
constexpr ULONGLONG kFirstSound = 3000;  // ms

// Takes the microphone's samples on its own streaming thread and converts them; the system
// sound's thread takes them out under the same lock.
class SampleSink final : public ISampleGrabberCB {
 public:
  SampleSink(int rate, int channels, size_t frame_bytes)
      : m_nFrameBytes(frame_bytes), m_converter(rate, channels, false) {}

  std::mutex lock;
  PcmConverter& converter() { return m_converter; }
  ULONGLONG LastSample() const { return m_nLastSample; }

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (riid != IID_IUnknown && riid != IID_ISampleGrabberCB) {
      *ppv = nullptr;
      return E_NOINTERFACE;
    }
    *ppv = static_cast<ISampleGrabberCB*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++m_nRef; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --m_nRef;
    if (left == 0) delete this;
    return left;
  }
  STDMETHODIMP SampleCB(double, IMediaSample* sample) override {
    BYTE* data = nullptr;
    if (!sample || FAILED(sample->GetPointer(&data))) return S_OK;
    const long bytes = sample->GetActualDataLength();
    const std::lock_guard<std::mutex> hold(lock);
    if (bytes > 0) m_converter.Push(data, static_cast<size_t>(bytes) / m_nFrameBytes);
    m_nLastSample = GetTickCount64();
    return S_OK;
  }
  STDMETHODIMP BufferCB(double, BYTE*, long) override { return S_OK; }

 private:
  const size_t m_nFrameBytes;
  std::atomic<ULONG> m_nRef{1};
  PcmConverter m_converter;
  std::atomic<ULONGLONG> m_nLastSample{0};
};

ComPtr<IBaseFilter> FindAudioInput(const std::wstring& friendly_name) {
  ComPtr<ICreateDevEnum> devices;
  ComPtr<IEnumMoniker> monikers;
  if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                              devices.ReceiveVoid())) ||
      devices->CreateClassEnumerator(CLSID_AudioInputDeviceCategory, monikers.Receive(), 0) != S_OK)
    return {};
  ComPtr<IMoniker> moniker;
  while (monikers->Next(1, moniker.Receive(), nullptr) == S_OK) {
    ComPtr<IPropertyBag> bag;
    if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.ReceiveVoid()))) continue;
    VARIANT name;
    VariantInit(&name);
    const bool match =
        SUCCEEDED(bag->Read(L"FriendlyName", &name, nullptr)) && name.vt == VT_BSTR && friendly_name == name.bstrVal;
    VariantClear(&name);
    ComPtr<IBaseFilter> filter;
    if (match && SUCCEEDED(moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, filter.ReceiveVoid())))
      return filter;
  }
  return {};
}

ComPtr<IPin> FirstPin(IBaseFilter* filter, PIN_DIRECTION wanted) {
  ComPtr<IEnumPins> pins;
  if (FAILED(filter->EnumPins(pins.Receive()))) return {};
  ComPtr<IPin> pin;
  while (pins->Next(1, pin.Receive(), nullptr) == S_OK) {
    PIN_DIRECTION direction;
    if (SUCCEEDED(pin->QueryDirection(&direction)) && direction == wanted) return pin;
  }
  return {};
}

// The microphone's graph: the device, a sample grabber that hands its 16-bit sound to the
// sink, and a null renderer. Without a reference clock, so samples flow as the device makes
// them.
struct MicrophoneGraph {
  ComPtr<IGraphBuilder> graph;
  ComPtr<IMediaControl> control;
  ComPtr<IMediaEvent> events;
  ComPtr<SampleSink> sink;
  ULONGLONG opened_at = GetTickCount64();

  ~MicrophoneGraph() {
    if (control) control->Stop();  // no callback after this
  }

  bool Open(const std::wstring& friendly_name) {
    ComPtr<IBaseFilter> source = FindAudioInput(friendly_name);
    ComPtr<IBaseFilter> grabber_filter, renderer;
    ComPtr<ISampleGrabber> grabber;
    ComPtr<IMediaFilter> timing;
    if (!source ||
        FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                graph.ReceiveVoid())) ||
        FAILED(CoCreateInstance(kSampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                grabber_filter.ReceiveVoid())) ||
        FAILED(CoCreateInstance(kNullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                renderer.ReceiveVoid())) ||
        FAILED(grabber_filter->QueryInterface(IID_ISampleGrabber, grabber.ReceiveVoid())))
      return false;
    AM_MEDIA_TYPE wanted{};
    wanted.majortype = MEDIATYPE_Audio;
    wanted.subtype = MEDIASUBTYPE_PCM;
    wanted.formattype = FORMAT_WaveFormatEx;
    if (FAILED(grabber->SetMediaType(&wanted)) || FAILED(graph->AddFilter(source.get(), L"microphone")) ||
        FAILED(graph->AddFilter(grabber_filter.get(), L"grabber")) ||
        FAILED(graph->AddFilter(renderer.get(), L"renderer")))
      return false;
    ComPtr<IPin> out = FirstPin(source.get(), PINDIR_OUTPUT), in = FirstPin(grabber_filter.get(), PINDIR_INPUT);
    if (!out || !in || FAILED(graph->Connect(out.get(), in.get()))) return false;
    out = FirstPin(grabber_filter.get(), PINDIR_OUTPUT);
    in = FirstPin(renderer.get(), PINDIR_INPUT);
    if (!out || !in || FAILED(graph->Connect(out.get(), in.get()))) return false;

    AM_MEDIA_TYPE connected{};
    if (FAILED(grabber->GetConnectedMediaType(&connected))) return false;
    const WAVEFORMATEX* format =
        connected.formattype == FORMAT_WaveFormatEx && connected.cbFormat >= sizeof(WAVEFORMATEX)
            ? reinterpret_cast<const WAVEFORMATEX*>(connected.pbFormat)
            : nullptr;
    // 16-bit integer sound only, the format every microphone offers; others leave it unused.
    const bool usable = format && format->wBitsPerSample == 16 && format->nChannels > 0 && format->nSamplesPerSec > 0 &&
                        format->nBlockAlign == format->nChannels * 2;
    if (usable) {
      sink = ComPtr<SampleSink>::Adopt(
          new SampleSink(static_cast<int>(format->nSamplesPerSec), format->nChannels, format->nBlockAlign));
    }
    CoTaskMemFree(connected.pbFormat);
    if (connected.pUnk) connected.pUnk->Release();
    return usable && SUCCEEDED(grabber->SetBufferSamples(FALSE)) && SUCCEEDED(grabber->SetOneShot(FALSE)) &&
           SUCCEEDED(grabber->SetCallback(sink.get(), 0)) &&
           SUCCEEDED(graph->QueryInterface(IID_IMediaFilter, timing.ReceiveVoid())) &&
           SUCCEEDED(timing->SetSyncSource(nullptr)) &&
           SUCCEEDED(graph->QueryInterface(IID_IMediaEvent, events.ReceiveVoid())) &&
           SUCCEEDED(graph->QueryInterface(IID_IMediaControl, control.ReceiveVoid())) && SUCCEEDED(control->Run());
  }

  // The device was lost (unplugged, an error in its graph) or stopped delivering.
  bool Failed() const {
    long code = 0;
    LONG_PTR first = 0, second = 0;
    while (events->GetEvent(&code, &first, &second, 0) == S_OK) {
      events->FreeEventParams(code, first, second);
      if (code == EC_ERRORABORT || code == EC_DEVICE_LOST || code == EC_COMPLETE || code == EC_STREAM_ERROR_STOPPED)
        return true;
    }
    const ULONGLONG now = GetTickCount64(), last = sink->LastSample();
    return last ? now - last > kSilentFor : now - opened_at > kFirstSound;
  }
};

}  // namespace

std::wstring MicrophoneToMix() {
  wchar_t name[512] = {};
  DWORD size = sizeof name - sizeof name[0];
  if (RegGetValueW(HKEY_CURRENT_USER, kDeviceKey, kMixValue, RRF_RT_REG_SZ, nullptr, name, &size) != ERROR_SUCCESS)
    return L"";
  return name;
}

struct MicrophoneInput::State {
  std::wstring name;
  std::unique_ptr<MicrophoneGraph> graph;
  SoundCushion cushion;
  ULONGLONG next_try = 0;
};

MicrophoneInput::MicrophoneInput(std::wstring friendly_name) : m_p(std::make_unique<State>()) {
  m_p->name = std::move(friendly_name);
}

MicrophoneInput::~MicrophoneInput() = default;

void MicrophoneInput::Open() {
  State& s = *m_p;
  auto opened = std::make_unique<MicrophoneGraph>();
  if (opened->Open(s.name))
    s.graph = std::move(opened);
  else
    s.next_try = GetTickCount64() + kRetryInterval;
}

void MicrophoneInput::Read(int16_t* stereo, size_t frames, size_t late_frames) {
  State& s = *m_p;
  const ULONGLONG now = GetTickCount64();
  if (s.graph && s.graph->Failed()) {
    s.graph.reset();
    s.next_try = now + kRetryInterval;
  }
  if (!s.graph && now >= s.next_try) Open();
  if (!s.graph) {
    std::fill(stereo, stereo + frames * kChannels, int16_t{0});
    return;
  }
  SampleSink& sink = *s.graph->sink.get();
  const std::lock_guard<std::mutex> hold(sink.lock);
  s.cushion.Take(sink.converter(), stereo, frames, late_frames);
}

}  // namespace capture
