#include "capture_devices/core/source_filter.h"

#include <cwchar>

#include "capture_devices/core/enumerators.h"
#include "capture_devices/core/module.h"
#include "capture_devices/core/recording_clock.h"

namespace capture {

CSourceFilter::CSourceFilter(const DeviceInfo& device, std::unique_ptr<CaptureStream> stream)
    : m_device(device), m_pStream(std::move(stream)), m_pin(*this, *m_pStream) {
  InitializeCriticalSection(&m_csLock);
  ObjectCreated();
}

CSourceFilter::~CSourceFilter() {
  // A graph always stops its filters before releasing them; this is for one that did not.
  {
    Lock lock(m_csLock);
    m_pin.Deactivate();
  }
  DeleteCriticalSection(&m_csLock);
  ObjectDestroyed();
}

STDMETHODIMP CSourceFilter::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IPersist || riid == IID_IMediaFilter || riid == IID_IBaseFilter) {
    *ppv = static_cast<IBaseFilter*>(this);
  } else if (riid == IID_IAMFilterMiscFlags) {
    *ppv = static_cast<IAMFilterMiscFlags*>(this);
  } else if (riid == IID_IReferenceClock) {
    *ppv = static_cast<IReferenceClock*>(this);
  } else {
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) CSourceFilter::AddRef() { return InterlockedIncrement(&m_nRefs); }

STDMETHODIMP_(ULONG) CSourceFilter::Release() {
  const LONG refs = InterlockedDecrement(&m_nRefs);
  if (refs == 0) delete this;
  return refs;
}

STDMETHODIMP CSourceFilter::GetClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = *m_device.clsid;
  return S_OK;
}

STDMETHODIMP CSourceFilter::Stop() {
  Lock lock(m_csLock);
  m_pin.Deactivate();
  m_state = State_Stopped;
  return S_OK;
}

STDMETHODIMP CSourceFilter::Pause() {
  Lock lock(m_csLock);
  if (m_state == State_Stopped) {
    const HRESULT hr = m_pin.Activate();
    if (FAILED(hr)) return hr;
  } else if (m_state == State_Running) {
    m_pin.Pause();
  }
  m_state = State_Paused;
  return S_OK;
}

STDMETHODIMP CSourceFilter::Run(REFERENCE_TIME start) {
  Lock lock(m_csLock);
  if (m_state == State_Stopped) {
    const HRESULT hr = Pause();
    if (FAILED(hr)) return hr;
  }
  m_tStart = start;
  const HRESULT hr = m_pin.Run();
  if (FAILED(hr)) return hr;
  m_state = State_Running;
  return S_OK;
}

STDMETHODIMP CSourceFilter::GetState(DWORD, FILTER_STATE* state) {
  if (!state) return E_POINTER;
  Lock lock(m_csLock);
  *state = m_state;
  // A live source has nothing to show while paused.
  return m_state == State_Paused ? VFW_S_CANT_CUE : S_OK;
}

STDMETHODIMP CSourceFilter::SetSyncSource(IReferenceClock* clock) {
  Lock lock(m_csLock);
  // Holding our own clock would keep this filter alive for ever.
  m_bOwnClock = clock == static_cast<IReferenceClock*>(this);
  m_pClock = m_bOwnClock ? ComPtr<IReferenceClock>() : ComPtr<IReferenceClock>::Share(clock);
  return S_OK;
}

STDMETHODIMP CSourceFilter::GetSyncSource(IReferenceClock** clock) {
  if (!clock) return E_POINTER;
  *clock = this->clock().Detach();
  return S_OK;
}

ComPtr<IReferenceClock> CSourceFilter::clock() {
  Lock lock(m_csLock);
  return m_bOwnClock ? ComPtr<IReferenceClock>::Share(this) : m_pClock;
}

STDMETHODIMP CSourceFilter::GetTime(REFERENCE_TIME* time) {
  if (!time) return E_POINTER;
  *time = ClockTimeOnThisThread();
  return S_OK;
}

ComPtr<IReferenceClock> CSourceFilter::SystemClock(REFERENCE_TIME recorded, REFERENCE_TIME* system_time) {
  ComPtr<IReferenceClock> system;
  {
    Lock lock(m_csLock);
    if (!m_pSystemClock)
      CoCreateInstance(CLSID_SystemClock, nullptr, CLSCTX_INPROC_SERVER, IID_IReferenceClock,
                       m_pSystemClock.ReceiveVoid());
    system = m_pSystemClock;
  }
  REFERENCE_TIME now = 0;
  if (!system || FAILED(system->GetTime(&now))) return {};
  *system_time = now + (recorded - RecordedNow().time);
  return system;
}

STDMETHODIMP CSourceFilter::AdviseTime(REFERENCE_TIME base, REFERENCE_TIME offset, HEVENT event, DWORD_PTR* cookie) {
  REFERENCE_TIME due = 0;
  const ComPtr<IReferenceClock> system = SystemClock(base + offset, &due);
  return system ? system->AdviseTime(due, 0, event, cookie) : E_FAIL;
}

STDMETHODIMP CSourceFilter::AdvisePeriodic(REFERENCE_TIME start, REFERENCE_TIME period, HSEMAPHORE semaphore,
                                           DWORD_PTR* cookie) {
  REFERENCE_TIME first = 0;
  const ComPtr<IReferenceClock> system = SystemClock(start, &first);
  return system ? system->AdvisePeriodic(first, period, semaphore, cookie) : E_FAIL;
}

STDMETHODIMP CSourceFilter::Unadvise(DWORD_PTR cookie) {
  Lock lock(m_csLock);
  return m_pSystemClock ? m_pSystemClock->Unadvise(cookie) : S_FALSE;
}

STDMETHODIMP CSourceFilter::EnumPins(IEnumPins** pins) { return NewPinEnumerator(&m_pin, pins); }

STDMETHODIMP CSourceFilter::FindPin(LPCWSTR id, IPin** pin) {
  if (!id || !pin) return E_POINTER;
  if (wcscmp(id, COutputPin::kName) != 0) {
    *pin = nullptr;
    return VFW_E_NOT_FOUND;
  }
  m_pin.AddRef();
  *pin = &m_pin;
  return S_OK;
}

STDMETHODIMP CSourceFilter::QueryFilterInfo(FILTER_INFO* info) {
  if (!info) return E_POINTER;
  Lock lock(m_csLock);
  wcsncpy(info->achName, m_strName.c_str(), MAX_FILTER_NAME - 1);
  info->achName[MAX_FILTER_NAME - 1] = L'\0';
  info->pGraph = m_pGraph;
  if (m_pGraph) m_pGraph->AddRef();
  return S_OK;
}

STDMETHODIMP CSourceFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) {
  Lock lock(m_csLock);
  m_pGraph = graph;
  m_strName = name ? name : L"";
  return S_OK;
}

STDMETHODIMP CSourceFilter::QueryVendorInfo(LPWSTR*) { return E_NOTIMPL; }

STDMETHODIMP_(ULONG) CSourceFilter::GetMiscFlags() { return AM_FILTER_MISC_FLAGS_IS_SOURCE; }

}  // namespace capture
