// A live capture source: one filter with one output pin, driven by a CaptureStream.
#pragma once
#include <dshow.h>

#include <memory>
#include <string>

#include "capture_devices/core/capture_stream.h"
#include "platform/com_ptr.h"
#include "capture_devices/core/output_pin.h"

namespace capture {

// Holds a critical section for its scope.
class Lock {
 public:
  explicit Lock(CRITICAL_SECTION& cs) : cs_(cs) { EnterCriticalSection(&cs_); }
  ~Lock() { LeaveCriticalSection(&cs_); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

 private:
  CRITICAL_SECTION& cs_;
};

// Also a reference clock, so that the graph can go by the recorded time (recording_clock.h):
// time stands still while the program has the recording paused.
class CSourceFilter final : public IBaseFilter, public IAMFilterMiscFlags, public IReferenceClock {
 public:
  CSourceFilter(const DeviceInfo& device, std::unique_ptr<CaptureStream> stream);
  CSourceFilter(const CSourceFilter&) = delete;
  CSourceFilter& operator=(const CSourceFilter&) = delete;

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  // IPersist
  STDMETHODIMP GetClassID(CLSID* clsid) override;
  // IMediaFilter
  STDMETHODIMP Stop() override;
  STDMETHODIMP Pause() override;
  STDMETHODIMP Run(REFERENCE_TIME start) override;
  STDMETHODIMP GetState(DWORD timeout, FILTER_STATE* state) override;
  STDMETHODIMP SetSyncSource(IReferenceClock* clock) override;
  STDMETHODIMP GetSyncSource(IReferenceClock** clock) override;
  // IBaseFilter
  STDMETHODIMP EnumPins(IEnumPins** pins) override;
  STDMETHODIMP FindPin(LPCWSTR id, IPin** pin) override;
  STDMETHODIMP QueryFilterInfo(FILTER_INFO* info) override;
  STDMETHODIMP JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
  STDMETHODIMP QueryVendorInfo(LPWSTR* info) override;
  // IAMFilterMiscFlags
  STDMETHODIMP_(ULONG) GetMiscFlags() override;
  // IReferenceClock: the time is the recorded time; a wake-up is left to the system clock at
  // the counter time that corresponds when it is asked for.
  STDMETHODIMP GetTime(REFERENCE_TIME* time) override;
  STDMETHODIMP AdviseTime(REFERENCE_TIME base, REFERENCE_TIME offset, HEVENT event, DWORD_PTR* cookie) override;
  STDMETHODIMP AdvisePeriodic(REFERENCE_TIME start, REFERENCE_TIME period, HSEMAPHORE semaphore,
                              DWORD_PTR* cookie) override;
  STDMETHODIMP Unadvise(DWORD_PTR cookie) override;

  // For the pin: the filter's lock and state.
  CRITICAL_SECTION& lock() { return m_csLock; }
  FILTER_STATE state() const { return m_state; }
  REFERENCE_TIME start_time() const { return m_tStart; }
  ComPtr<IReferenceClock> clock();
  const DeviceInfo& device() const { return m_device; }

 private:
  ~CSourceFilter();
  // The system clock's time that is `recorded` in recorded time, as of now; null clock on failure.
  ComPtr<IReferenceClock> SystemClock(REFERENCE_TIME recorded, REFERENCE_TIME* system_time);

  LONG m_nRefs = 1;
  const DeviceInfo& m_device;
  std::unique_ptr<CaptureStream> m_pStream;
  CRITICAL_SECTION m_csLock;
  FILTER_STATE m_state = State_Stopped;
  REFERENCE_TIME m_tStart = 0;
  bool m_bOwnClock = false;                // the graph goes by this filter's clock (not held: no cycle)
  ComPtr<IReferenceClock> m_pSystemClock;  // for wake-ups, made when first asked for
  ComPtr<IReferenceClock> m_pClock;
  IFilterGraph* m_pGraph = nullptr;  // not held: the graph holds the filter
  std::wstring m_strName;
  COutputPin m_pin;  // last: built from the members above, destroyed first
};

}  // namespace capture
