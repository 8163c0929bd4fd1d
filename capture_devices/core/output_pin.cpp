#include "capture_devices/core/output_pin.h"

#include <mmsystem.h>
#include <vfwmsgs.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <optional>

#include "capture_devices/core/dib_allocator.h"
#include "capture_devices/core/enumerators.h"
#include "capture_devices/core/recording_clock.h"
#include "capture_devices/core/source_filter.h"
#include "capture_devices/rules/frame_schedule.h"
#include "capture_devices/rules/pcm.h"

namespace capture {
namespace {

constexpr REFERENCE_TIME kDefaultFrameInterval = 400000;  // 25 frames per second
constexpr REFERENCE_TIME kSoundChunk = 200000;            // 20 ms of sound per sample
constexpr REFERENCE_TIME kSoundClockJump = 10000000;      // later than this: slept, not held up
constexpr long kVideoBuffers = 4;
constexpr long kSoundBuffers = 25;

long SoundChunkBytes() { return static_cast<long>(kSampleRate * kSoundChunk / 10000000) * kBytesPerFrame; }

// How often a paused device looks whether the recording goes on.
constexpr DWORD kPausePollMs = 5;
// A start time further ahead than this is not waited for (a clock that went wrong).
constexpr DWORD kLongestStartWaitMs = 2000;

// Recorded time since it was made, in 100-ns units: stands still while the recording is paused.
class Stopwatch {
 public:
  Stopwatch() : m_start(RecordedNow().time) {}
  REFERENCE_TIME Elapsed() const { return RecordedNow().time - m_start; }

 private:
  REFERENCE_TIME m_start;
};

// For the stats line: whether the graph goes by recorded time (one of our filters), another
// clock or none.
const char* ClockFigure(IReferenceClock* clock) {
  if (!clock) return "none";
  ComPtr<IBaseFilter> filter;
  CLSID clsid;
  if (SUCCEEDED(clock->QueryInterface(IID_IBaseFilter, filter.ReceiveVoid())) && SUCCEEDED(filter->GetClassID(&clsid)))
    for (size_t i = 0; i < kDeviceCount; ++i)
      if (clsid == *kDevices[i].clsid) return "recorded";
  return "other";
}

// Waits until `clock` reaches `start` (at most kLongestStartWaitMs), giving how long in
// `waited_ms`; false when `stop` was set.
bool WaitForStartTime(IReferenceClock* clock, REFERENCE_TIME start, HANDLE stop, DWORD* waited_ms) {
  const DWORD began = GetTickCount();
  REFERENCE_TIME now;
  while (clock && SUCCEEDED(clock->GetTime(&now)) && now < start && GetTickCount() - began < kLongestStartWaitMs) {
    const DWORD wait_ms = static_cast<DWORD>(std::min<REFERENCE_TIME>((start - now) / 10000 + 1, kPausePollMs));
    if (WaitForSingleObject(stop, wait_ms) == WAIT_OBJECT_0) return false;
  }
  *waited_ms = GetTickCount() - began;
  return true;
}

}  // namespace

COutputPin::COutputPin(CSourceFilter& filter, CaptureStream& stream)
    : m_filter(filter),
      m_stream(stream),
      m_hStopEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_hRunEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  InitializeCriticalSection(&m_csSession);
}

COutputPin::~COutputPin() {
  Deactivate();
  CloseHandle(m_hStopEvent);
  CloseHandle(m_hRunEvent);
  DeleteCriticalSection(&m_csSession);
}

// ---- IUnknown ----

STDMETHODIMP COutputPin::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IPin) {
    *ppv = static_cast<IPin*>(this);
  } else if (riid == IID_IAMStreamConfig) {
    *ppv = static_cast<IAMStreamConfig*>(this);
  } else if (riid == IID_IKsPropertySet) {
    *ppv = static_cast<IKsPropertySet*>(this);
  } else {
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) COutputPin::AddRef() { return m_filter.AddRef(); }
STDMETHODIMP_(ULONG) COutputPin::Release() { return m_filter.Release(); }

// ---- formats ----

MediaType COutputPin::CurrentFormat() const {
  if (!m_mtConnected.empty()) return m_mtConnected;
  if (!m_mtChosen.empty()) return m_mtChosen;
  return m_stream.Capabilities().front().type;
}

std::vector<MediaType> COutputPin::OfferedTypes() const {
  if (!m_mtChosen.empty()) return {m_mtChosen};
  std::vector<MediaType> types;
  for (const StreamCaps& caps : m_stream.Capabilities()) types.push_back(caps.type);
  return types;
}

MediaType COutputPin::Match(const AM_MEDIA_TYPE& mt) const {
  for (const StreamCaps& caps : m_stream.Capabilities()) {
    const AM_MEDIA_TYPE& own = caps.type.get();
    if (mt.majortype != own.majortype || mt.subtype != own.subtype || mt.formattype != own.formattype) continue;
    if (!m_stream.IsVideo()) {
      if (mt.cbFormat >= sizeof(WAVEFORMATEX) && mt.pbFormat &&
          std::equal(own.pbFormat, own.pbFormat + sizeof(WAVEFORMATEX) - sizeof(WORD), mt.pbFormat))
        return caps.type;
      continue;
    }
    const MediaType asked(mt);
    const VIDEOINFOHEADER* want = asked.VideoInfo();
    const VIDEOINFOHEADER* have = caps.type.VideoInfo();
    if (!want || want->bmiHeader.biWidth != have->bmiHeader.biWidth ||
        want->bmiHeader.biHeight != have->bmiHeader.biHeight ||
        want->bmiHeader.biBitCount != have->bmiHeader.biBitCount)
      continue;
    REFERENCE_TIME interval = want->AvgTimePerFrame ? want->AvgTimePerFrame : have->AvgTimePerFrame;
    if (interval < caps.video.MinFrameInterval || interval > caps.video.MaxFrameInterval) continue;
    MediaType result = caps.type;
    result.MutableVideoInfo()->AvgTimePerFrame = interval;
    return result;
  }
  return MediaType();
}

long COutputPin::SampleSize() const {
  return m_stream.IsVideo() ? static_cast<long>(CurrentFormat().get().lSampleSize) : SoundChunkBytes();
}

// ---- IPin ----

STDMETHODIMP COutputPin::Connect(IPin* receive_pin, const AM_MEDIA_TYPE* mt) {
  if (!receive_pin) return E_POINTER;
  Lock lock(m_filter.lock());
  if (m_pConnected) return VFW_E_ALREADY_CONNECTED;
  if (m_filter.state() != State_Stopped) return VFW_E_NOT_STOPPED;
  // A fully given type is taken as it is; a partial one (GUID_NULL fields) narrows our offer.
  const bool complete = mt && mt->formattype != GUID_NULL && mt->pbFormat;
  for (const MediaType& offered : OfferedTypes()) {
    if (mt && ((mt->majortype != GUID_NULL && mt->majortype != offered.get().majortype) ||
               (mt->subtype != GUID_NULL && mt->subtype != offered.get().subtype)))
      continue;
    const MediaType candidate = complete ? Match(*mt) : offered;
    if (!candidate.empty() && SUCCEEDED(TryConnection(receive_pin, candidate))) return S_OK;
    if (complete) break;
  }
  return VFW_E_NO_ACCEPTABLE_TYPES;
}

HRESULT COutputPin::TryConnection(IPin* receive_pin, const MediaType& type) {
  HRESULT hr = receive_pin->ReceiveConnection(this, &type.get());
  if (FAILED(hr)) return hr;
  m_pConnected = ComPtr<IPin>::Share(receive_pin);
  m_mtConnected = type;
  hr = receive_pin->QueryInterface(IID_IMemInputPin, m_pInput.ReceiveVoid());
  if (SUCCEEDED(hr)) hr = DecideAllocator();
  if (FAILED(hr)) {
    receive_pin->Disconnect();
    m_pInput.Reset();
    m_pConnected.Reset();
    m_mtConnected = MediaType();
    return hr;
  }
  m_stream.FormatChosen(m_mtConnected);
  return S_OK;
}

HRESULT COutputPin::DecideAllocator() {
  ALLOCATOR_PROPERTIES wanted{};
  m_pInput->GetAllocatorRequirements(&wanted);  // optional for the receiver
  wanted.cBuffers = std::max(wanted.cBuffers, m_stream.IsVideo() ? kVideoBuffers : kSoundBuffers);
  wanted.cbBuffer = std::max(wanted.cbBuffer, SampleSize());
  wanted.cbAlign = std::max(wanted.cbAlign, 1L);

  ComPtr<IMemAllocator> allocator;
  const VIDEOINFOHEADER* vih = m_mtConnected.VideoInfo();
  m_bDibSamples = m_stream.DrawsIntoBitmaps() && vih && vih->bmiHeader.biCompression == BI_RGB &&
                  SUCCEEDED(CDibAllocator::Create(vih->bmiHeader, allocator.Receive())) &&
                  TryAllocator(allocator.get(), wanted);
  if (m_bDibSamples) return S_OK;
  if (SUCCEEDED(m_pInput->GetAllocator(allocator.Receive())) && TryAllocator(allocator.get(), wanted)) return S_OK;
  if (SUCCEEDED(CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                                 allocator.ReceiveVoid())) &&
      TryAllocator(allocator.get(), wanted))
    return S_OK;
  return VFW_E_NO_ALLOCATOR;
}

bool COutputPin::TryAllocator(IMemAllocator* allocator, const ALLOCATOR_PROPERTIES& wanted) {
  ALLOCATOR_PROPERTIES wanted_copy = wanted, actual{};
  if (FAILED(allocator->SetProperties(&wanted_copy, &actual)) || actual.cbBuffer < SampleSize()) return false;
  if (FAILED(m_pInput->NotifyAllocator(allocator, FALSE))) return false;
  m_pAllocator = ComPtr<IMemAllocator>::Share(allocator);
  return true;
}

STDMETHODIMP COutputPin::ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) { return E_UNEXPECTED; }

STDMETHODIMP COutputPin::Disconnect() {
  Lock lock(m_filter.lock());
  if (m_filter.state() != State_Stopped) return VFW_E_NOT_STOPPED;
  if (!m_pConnected) return S_FALSE;
  m_pAllocator.Reset();
  m_bDibSamples = false;
  m_pInput.Reset();
  m_pConnected.Reset();
  m_mtConnected = MediaType();
  return S_OK;
}

STDMETHODIMP COutputPin::ConnectedTo(IPin** pin) {
  if (!pin) return E_POINTER;
  Lock lock(m_filter.lock());
  *pin = ComPtr<IPin>(m_pConnected).Detach();
  return *pin ? S_OK : VFW_E_NOT_CONNECTED;
}

STDMETHODIMP COutputPin::ConnectionMediaType(AM_MEDIA_TYPE* mt) {
  if (!mt) return E_POINTER;
  Lock lock(m_filter.lock());
  if (!m_pConnected) {
    *mt = AM_MEDIA_TYPE{};
    return VFW_E_NOT_CONNECTED;
  }
  return m_mtConnected.CopyTo(mt);
}

STDMETHODIMP COutputPin::QueryPinInfo(PIN_INFO* info) {
  if (!info) return E_POINTER;
  info->pFilter = &m_filter;
  m_filter.AddRef();
  info->dir = PINDIR_OUTPUT;
  wcsncpy(info->achName, kName, MAX_PIN_NAME);
  return S_OK;
}

STDMETHODIMP COutputPin::QueryDirection(PIN_DIRECTION* dir) {
  if (!dir) return E_POINTER;
  *dir = PINDIR_OUTPUT;
  return S_OK;
}

STDMETHODIMP COutputPin::QueryId(LPWSTR* id) {
  if (!id) return E_POINTER;
  const size_t bytes = (wcslen(kName) + 1) * sizeof(wchar_t);
  *id = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
  if (!*id) return E_OUTOFMEMORY;
  std::memcpy(*id, kName, bytes);
  return S_OK;
}

STDMETHODIMP COutputPin::QueryAccept(const AM_MEDIA_TYPE* mt) {
  if (!mt) return E_POINTER;
  Lock lock(m_filter.lock());
  return Match(*mt).empty() ? S_FALSE : S_OK;
}

STDMETHODIMP COutputPin::EnumMediaTypes(IEnumMediaTypes** types) {
  Lock lock(m_filter.lock());
  return NewMediaTypeEnumerator(OfferedTypes(), types);
}

STDMETHODIMP COutputPin::QueryInternalConnections(IPin**, ULONG*) { return E_NOTIMPL; }
STDMETHODIMP COutputPin::EndOfStream() { return E_UNEXPECTED; }
STDMETHODIMP COutputPin::BeginFlush() { return E_UNEXPECTED; }
STDMETHODIMP COutputPin::EndFlush() { return E_UNEXPECTED; }
STDMETHODIMP COutputPin::NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) { return S_OK; }

// ---- IAMStreamConfig ----

STDMETHODIMP COutputPin::SetFormat(AM_MEDIA_TYPE* mt) {
  Lock lock(m_filter.lock());
  if (m_filter.state() != State_Stopped) return VFW_E_NOT_STOPPED;
  if (!mt) {  // back to the default format
    if (m_pConnected) return VFW_E_ALREADY_CONNECTED;
    m_mtChosen = MediaType();
    return S_OK;
  }
  const MediaType chosen = Match(*mt);
  if (chosen.empty()) return VFW_E_INVALIDMEDIATYPE;
  if (m_pConnected && !SameType(chosen.get(), m_mtConnected.get())) return VFW_E_ALREADY_CONNECTED;
  m_mtChosen = chosen;
  m_stream.FormatChosen(chosen);
  return S_OK;
}

STDMETHODIMP COutputPin::GetFormat(AM_MEDIA_TYPE** mt) {
  if (!mt) return E_POINTER;
  Lock lock(m_filter.lock());
  *mt = CurrentFormat().NewTaskCopy();
  return *mt ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP COutputPin::GetNumberOfCapabilities(int* count, int* size) {
  if (!count || !size) return E_POINTER;
  *count = static_cast<int>(m_stream.Capabilities().size());
  *size = m_stream.IsVideo() ? sizeof(VIDEO_STREAM_CONFIG_CAPS) : sizeof(AUDIO_STREAM_CONFIG_CAPS);
  return S_OK;
}

STDMETHODIMP COutputPin::GetStreamCaps(int index, AM_MEDIA_TYPE** mt, BYTE* caps) {
  if (!mt || !caps) return E_POINTER;
  const auto& all = m_stream.Capabilities();
  if (index < 0 || static_cast<size_t>(index) >= all.size()) return S_FALSE;
  *mt = all[index].type.NewTaskCopy();
  if (!*mt) return E_OUTOFMEMORY;
  if (m_stream.IsVideo())
    std::memcpy(caps, &all[index].video, sizeof(VIDEO_STREAM_CONFIG_CAPS));
  else
    std::memcpy(caps, &all[index].audio, sizeof(AUDIO_STREAM_CONFIG_CAPS));
  return S_OK;
}

// ---- IKsPropertySet ----

STDMETHODIMP COutputPin::Set(REFGUID, DWORD, void*, DWORD, void*, DWORD) { return E_NOTIMPL; }

STDMETHODIMP COutputPin::Get(REFGUID set, DWORD id, void*, DWORD, void* data, DWORD size, DWORD* returned) {
  if (set != AMPROPSETID_Pin) return E_PROP_SET_UNSUPPORTED;
  if (id != AMPROPERTY_PIN_CATEGORY) return E_PROP_ID_UNSUPPORTED;
  if (returned) *returned = sizeof(GUID);
  if (!data) return returned ? S_OK : E_POINTER;
  if (size < sizeof(GUID)) return E_UNEXPECTED;
  *static_cast<GUID*>(data) = PIN_CATEGORY_CAPTURE;
  return S_OK;
}

STDMETHODIMP COutputPin::QuerySupported(REFGUID set, DWORD id, DWORD* support) {
  if (set != AMPROPSETID_Pin) return E_PROP_SET_UNSUPPORTED;
  if (id != AMPROPERTY_PIN_CATEGORY) return E_PROP_ID_UNSUPPORTED;
  if (support) *support = KSPROPERTY_SUPPORT_GET;
  return S_OK;
}

// ---- state changes ----

HRESULT COutputPin::Activate() {
  if (!m_pAllocator) return S_OK;  // an unconnected pin has nothing to do
  return m_pAllocator->Commit();
}

HRESULT COutputPin::Run() {
  if (!m_pConnected) return S_OK;
  {
    Lock session(m_csSession);
    m_tSessionStart = m_filter.start_time();
    m_pSessionClock = m_filter.clock();
    m_strClockFigure = ClockFigure(m_pSessionClock.get());
  }
  if (!m_hThread) {
    ResetEvent(m_hStopEvent);
    m_nDelivered = m_nDropped = m_nLate = m_nFills = 0;
    m_fillSeconds = m_fillMaxSeconds = m_runSeconds = 0;
    m_startWaitMs = 0;
    m_hThread = CreateThread(nullptr, 0, ThreadEntry, this, 0, nullptr);
    if (!m_hThread) return E_OUTOFMEMORY;
  }
  SetEvent(m_hRunEvent);
  return S_OK;
}

void COutputPin::Pause() { ResetEvent(m_hRunEvent); }

void COutputPin::Deactivate() {
  ResetEvent(m_hRunEvent);
  if (m_hThread) {
    SetEvent(m_hStopEvent);
    WaitForSingleObject(m_hThread, INFINITE);
    CloseHandle(m_hThread);
    m_hThread = nullptr;
    WriteStats();
  }
  if (m_pAllocator) m_pAllocator->Decommit();
  Lock session(m_csSession);
  m_pSessionClock.Reset();
}

// ---- streaming ----

DWORD WINAPI COutputPin::ThreadEntry(void* pin) {
  // Some devices use COM on this thread (the system sound's loopback capture).
  const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  timeBeginPeriod(1);  // wake-ups on time for 40 ms frames and 20 ms chunks
  // A live source must keep its pace while the encoder's threads take every core it can.
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
  static_cast<COutputPin*>(pin)->StreamLoop();
  timeEndPeriod(1);
  if (SUCCEEDED(com)) CoUninitialize();
  return 0;
}

void COutputPin::StreamLoop() {
  const MediaType format = m_mtConnected;  // fixed while the pin is active
  REFERENCE_TIME interval = kSoundChunk;
  if (m_stream.IsVideo()) {
    interval = format.VideoInfo() ? format.VideoInfo()->AvgTimePerFrame : 0;
    if (interval <= 0) interval = kDefaultFrameInterval;
  }
  const bool ready = m_stream.Begin(format);
  const HANDLE wait_for[2] = {m_hStopEvent, m_hRunEvent};
  while (WaitForMultipleObjects(2, wait_for, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
    if (ready) {
      RunSession(interval);
    } else {
      WaitForSingleObject(m_hStopEvent, INFINITE);  // a device that cannot start delivers nothing
    }
  }
  m_stream.End();
}

void COutputPin::RunSession(REFERENCE_TIME interval) {
  REFERENCE_TIME start;
  ComPtr<IReferenceClock> clock;
  {
    Lock session(m_csSession);
    start = m_tSessionStart;
    clock = m_pSessionClock;
  }
  // Capture begins at the start time the graph gave (a little ahead of its Run), so that no
  // device delivers what came before it and every recording starts with its first frame.
  if (!WaitForStartTime(clock.get(), start, m_hStopEvent, &m_startWaitMs)) return;
  // Stream time: the graph's clock less the start time it gave, else our own stopwatch.
  const Stopwatch watch;
  const auto stream_time = [&] {
    REFERENCE_TIME now;
    // S_FALSE is a good time too: the clock has not moved since it was last asked.
    if (clock && SUCCEEDED(clock->GetTime(&now))) return now - start;
    return watch.Elapsed();
  };
  const bool video = m_stream.IsVideo();
  FrameSchedule schedule(interval);
  // Every frame and chunk is stamped with its slot on the schedule, not with when it was made:
  // the encoder puts each frame on the next slot of its own grid at the same rate and moves to
  // a later slot only for a frame over half a slot late, so a frame stamped with a read that
  // began that late would keep every later frame one slot behind its picture. Sound: chunk n
  // holds the 20 ms that end at its due time, so the first is due one chunk in, and is stamped
  // where its sound was made, the device's delay earlier. Nothing is stamped before the start,
  // so the picture's first frame begins the recording on every machine.
  const REFERENCE_TIME first_due = video ? 0 : interval;
  const REFERENCE_TIME sound_delay = video ? 0 : m_stream.SoundDelay();
  const REFERENCE_TIME base = stream_time();
  std::vector<BYTE> unsent;  // a sound chunk without a sample to carry it
  bool first = true;
  bool was_paused = false;
  REFERENCE_TIME drained_until = 0;  // while paused: the counter time the sound has been read to

  // When a chunk or frame is due on the performance counter.
  const double clock_rate = video ? 1.0 : m_stream.ClockRate();
  const auto due_at = [&] { return static_cast<REFERENCE_TIME>((first_due + schedule.DueTime()) / clock_rate); };

  for (;;) {
    const RecordedMoment moment = RecordedNow();
    if (moment.paused) {
      // Nothing is delivered while paused; the recording goes on as if the pause never was. A
      // sound device is still read at its pace and what it gives let go, so that its buffers
      // and its delay stay as they were and the sound is in step with the picture after the
      // resume.
      if (!was_paused) {
        drained_until = moment.counter;
        m_stream.ChunkLateBy(0);
      }
      was_paused = true;
      for (; !video && drained_until + interval <= moment.counter; drained_until += interval) {
        unsent.resize(SoundChunkBytes());
        m_stream.Fill(unsent.data(), SoundChunkBytes(), nullptr);
      }
      if (WaitForSingleObject(m_hStopEvent, kPausePollMs) == WAIT_OBJECT_0) break;
      continue;
    }
    was_paused = false;
    const REFERENCE_TIME wait = due_at() - watch.Elapsed();
    if (wait > 0) {
      if (WaitForSingleObject(m_hStopEvent, static_cast<DWORD>((wait + 9999) / 10000)) == WAIT_OBJECT_0) break;
      continue;
    }
    if (WaitForSingleObject(m_hRunEvent, 0) != WAIT_OBJECT_0) break;  // paused
    if (video) {
      const int64_t late = schedule.SkipLateSlots(watch.Elapsed() - first_due);
      m_nLate += late;
      m_nDropped += late;
    } else {
      schedule.RestartAfterClockJump(watch.Elapsed() - first_due, kSoundClockJump);
      m_stream.ChunkLateBy(watch.Elapsed() - due_at());
    }

    ComPtr<IMediaSample> sample;
    BYTE* data = nullptr;
    // Never wait for a buffer: a downstream that holds them all costs a frame, not a stall.
    if (FAILED(m_pAllocator->GetBuffer(sample.Receive(), nullptr, nullptr, AM_GBF_NOWAIT)) ||
        FAILED(sample->GetPointer(&data))) {
      // Sound is still taken from the device for the chunk, so the next one starts where it should.
      if (!video) {
        unsent.resize(SoundChunkBytes());
        m_stream.Fill(unsent.data(), SoundChunkBytes(), nullptr);
      }
      ++m_nDropped;
      schedule.Advance();
      continue;
    }
    const REFERENCE_TIME fill_start = watch.Elapsed();
    const long capacity = video ? sample->GetSize() : std::min(sample->GetSize(), SoundChunkBytes());
    long length = m_stream.Fill(data, capacity, m_bDibSamples ? CDibAllocator::BitmapOf(sample.get()) : nullptr);
    const double fill_seconds = (watch.Elapsed() - fill_start) / 1e7;
    ++m_nFills;
    m_fillSeconds += fill_seconds;
    m_fillMaxSeconds = std::max(m_fillMaxSeconds, fill_seconds);
    if (length <= 0) {
      ++m_nDropped;
      schedule.Advance();
      continue;
    }
    REFERENCE_TIME begin = base + schedule.DueTime() - sound_delay;
    REFERENCE_TIME end = begin + interval;
    if (!video) {
      const size_t frames = static_cast<size_t>(length) / kBytesPerFrame;
      const size_t before = FramesBeforeStart(begin, frames);
      if (before == frames) {  // all of it before the start
        schedule.Advance();
        continue;
      }
      std::memmove(data, data + before * kBytesPerFrame, (frames - before) * kBytesPerFrame);
      length = static_cast<long>((frames - before) * kBytesPerFrame);
      begin += FramesToTime(before);
      end = begin + FramesToTime(frames - before);
    }
    sample->SetTime(&begin, &end);
    sample->SetActualDataLength(length);
    sample->SetSyncPoint(TRUE);
    sample->SetDiscontinuity(first ? TRUE : FALSE);
    first = false;
    // The encoder stamps a picture with the clock's time as it receives it: its slot's instead.
    std::optional<ClockShowsFrameTime> shows;
    if (video) shows.emplace(start + begin);
    const HRESULT received = m_pInput->Receive(sample.get());
    shows.reset();
    if (received == S_OK)
      ++m_nDelivered;
    else
      ++m_nDropped;
    schedule.Advance();
  }
  m_runSeconds += watch.Elapsed() / 1e7;
}

// With QUORLIN_DEVICE_STATS naming a file, each stop appends one line of figures to it (for the
// benchmark; nothing is written otherwise).
void COutputPin::WriteStats() const {
  const wchar_t* path = _wgetenv(L"QUORLIN_DEVICE_STATS");
  if (!path || !*path) return;
  FILE* file = _wfopen(path, L"ab");
  if (!file) return;
  const MediaType format = CurrentFormat();
  const VIDEOINFOHEADER* vih = format.VideoInfo();
  fprintf(file,
          "%ls size=%ldx%ld seconds=%.2f delivered=%lld dropped=%lld late=%lld fill_ms_mean=%.3f fill_ms_max=%.3f"
          " start_wait_ms=%lu clock=%s%s\r\n",
          m_filter.device().friendly_name, vih ? vih->bmiHeader.biWidth : 0L, vih ? vih->bmiHeader.biHeight : 0L,
          m_runSeconds, static_cast<long long>(m_nDelivered), static_cast<long long>(m_nDropped),
          static_cast<long long>(m_nLate), m_nFills ? m_fillSeconds * 1000 / static_cast<double>(m_nFills) : 0.0,
          m_fillMaxSeconds * 1000, static_cast<unsigned long>(m_startWaitMs), m_strClockFigure,
          m_stream.StatsFigures().c_str());
  fclose(file);
}

}  // namespace capture
