// The output pin of a capture source: format negotiation, allocator, and the streaming thread
// that paces frames or sound chunks in real time and pushes them downstream.
#pragma once
#include <dshow.h>

#include <atomic>
#include <vector>

#include "capture_devices/core/capture_stream.h"
#include "platform/com_ptr.h"
#include "capture_devices/core/media_type.h"

namespace capture {

using platform::ComPtr;

class CSourceFilter;

class COutputPin final : public IPin, public IAMStreamConfig, public IKsPropertySet {
 public:
  COutputPin(CSourceFilter& filter, CaptureStream& stream);
  ~COutputPin();
  COutputPin(const COutputPin&) = delete;
  COutputPin& operator=(const COutputPin&) = delete;

  // IUnknown: the pin lives as long as its filter.
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  // IPin
  STDMETHODIMP Connect(IPin* receive_pin, const AM_MEDIA_TYPE* mt) override;
  STDMETHODIMP ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mt) override;
  STDMETHODIMP Disconnect() override;
  STDMETHODIMP ConnectedTo(IPin** pin) override;
  STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* mt) override;
  STDMETHODIMP QueryPinInfo(PIN_INFO* info) override;
  STDMETHODIMP QueryDirection(PIN_DIRECTION* dir) override;
  STDMETHODIMP QueryId(LPWSTR* id) override;
  STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* mt) override;
  STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** types) override;
  STDMETHODIMP QueryInternalConnections(IPin** pins, ULONG* count) override;
  STDMETHODIMP EndOfStream() override;
  STDMETHODIMP BeginFlush() override;
  STDMETHODIMP EndFlush() override;
  STDMETHODIMP NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;
  // IAMStreamConfig
  STDMETHODIMP SetFormat(AM_MEDIA_TYPE* mt) override;
  STDMETHODIMP GetFormat(AM_MEDIA_TYPE** mt) override;
  STDMETHODIMP GetNumberOfCapabilities(int* count, int* size) override;
  STDMETHODIMP GetStreamCaps(int index, AM_MEDIA_TYPE** mt, BYTE* caps) override;
  // IKsPropertySet: the pin category, which capture graph builders look for.
  STDMETHODIMP Set(REFGUID set, DWORD id, void* instance, DWORD instance_size, void* data, DWORD size) override;
  STDMETHODIMP Get(REFGUID set, DWORD id, void* instance, DWORD instance_size, void* data, DWORD size,
                   DWORD* returned) override;
  STDMETHODIMP QuerySupported(REFGUID set, DWORD id, DWORD* support) override;

  // Called by the filter, under its lock, as its state changes.
  HRESULT Activate();  // stopped -> paused: buffers ready
  HRESULT Run();       // streaming (again) from the filter's start time
  void Pause();        // running -> paused: no frames until Run
  void Deactivate();   // -> stopped: the streaming thread ends, buffers released
  static constexpr const wchar_t* kName = L"Capture";

 private:
  // The format offered now: the chosen one, else the first capability.
  MediaType CurrentFormat() const;
  std::vector<MediaType> OfferedTypes() const;
  // The capability a requested type fits, as the type we would deliver; empty when none fits.
  MediaType Match(const AM_MEDIA_TYPE& mt) const;
  HRESULT TryConnection(IPin* receive_pin, const MediaType& type);
  HRESULT DecideAllocator();
  bool TryAllocator(IMemAllocator* allocator, const ALLOCATOR_PROPERTIES& wanted);
  long SampleSize() const;

  static DWORD WINAPI ThreadEntry(void* pin);
  void StreamLoop();
  // One stretch of running; returns when the filter stops or pauses.
  void RunSession(REFERENCE_TIME interval);
  void WriteStats() const;

  CSourceFilter& m_filter;
  CaptureStream& m_stream;
  MediaType m_mtChosen;     // set by SetFormat, or empty
  MediaType m_mtConnected;  // while connected
  ComPtr<IPin> m_pConnected;
  ComPtr<IMemInputPin> m_pInput;
  ComPtr<IMemAllocator> m_pAllocator;
  bool m_bDibSamples = false;  // m_pAllocator is a CDibAllocator

  // What a running stretch needs, handed from Run to the streaming thread. Its own lock, since
  // Deactivate waits for the thread while holding the filter's.
  CRITICAL_SECTION m_csSession;
  REFERENCE_TIME m_tSessionStart = 0;
  ComPtr<IReferenceClock> m_pSessionClock;
  const char* m_strClockFigure = "none";  // the session clock, for the stats line

  HANDLE m_hThread = nullptr;
  HANDLE m_hStopEvent;  // manual reset: the thread ends
  HANDLE m_hRunEvent;   // manual reset: set while running

  // Counted by the streaming thread, read after it has ended.
  // Dropped counts every slot without a frame; late, those of them skipped because the time had
  // gone by (the timeline is kept: no frame is sent for a slot long past).
  int64_t m_nDelivered = 0, m_nDropped = 0, m_nLate = 0, m_nFills = 0;
  double m_fillSeconds = 0, m_fillMaxSeconds = 0;
  double m_runSeconds = 0;
  DWORD m_startWaitMs = 0;  // how long the last run waited for the graph's start time
};

}  // namespace capture
