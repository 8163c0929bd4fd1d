#include "capture_devices/core/dib_allocator.h"

#include <vfwmsgs.h>

#include <new>

#include "capture_devices/core/module.h"

namespace capture {

// One picture buffer: a DIB section, with the sample's times and flags.
class CDibSample final : public IMediaSample {
 public:
  CDibSample(CDibAllocator& allocator, HBITMAP bitmap, BYTE* bits, long size)
      : m_allocator(allocator), m_hBitmap(bitmap), m_pBits(bits), m_nSize(size) {}
  ~CDibSample() { DeleteObject(m_hBitmap); }
  CDibSample(const CDibSample&) = delete;
  CDibSample& operator=(const CDibSample&) = delete;

  void Reset() {
    m_nRefs = 1;
    m_bTimeSet = m_bSync = m_bDiscontinuity = m_bPreroll = false;
    m_nLength = m_nSize;
  }
  HBITMAP bitmap() const { return m_hBitmap; }

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (riid != IID_IUnknown && riid != IID_IMediaSample) {
      *ppv = nullptr;
      return E_NOINTERFACE;
    }
    *ppv = static_cast<IMediaSample*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_nRefs); }
  // The last reference gives the sample back to its allocator.
  STDMETHODIMP_(ULONG) Release() override {
    const LONG refs = InterlockedDecrement(&m_nRefs);
    if (refs == 0) m_allocator.ReleaseBuffer(this);
    return refs;
  }
  STDMETHODIMP GetPointer(BYTE** buffer) override {
    if (!buffer) return E_POINTER;
    *buffer = m_pBits;
    return S_OK;
  }
  STDMETHODIMP_(long) GetSize() override { return m_nSize; }
  STDMETHODIMP GetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) override {
    if (!start || !end) return E_POINTER;
    if (!m_bTimeSet) return VFW_E_SAMPLE_TIME_NOT_SET;
    *start = m_tStart;
    *end = m_tEnd;
    return S_OK;
  }
  STDMETHODIMP SetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) override {
    m_bTimeSet = start && end;
    if (m_bTimeSet) {
      m_tStart = *start;
      m_tEnd = *end;
    }
    return S_OK;
  }
  STDMETHODIMP IsSyncPoint() override { return m_bSync ? S_OK : S_FALSE; }
  STDMETHODIMP SetSyncPoint(BOOL sync) override {
    m_bSync = sync != FALSE;
    return S_OK;
  }
  STDMETHODIMP IsPreroll() override { return m_bPreroll ? S_OK : S_FALSE; }
  STDMETHODIMP SetPreroll(BOOL preroll) override {
    m_bPreroll = preroll != FALSE;
    return S_OK;
  }
  STDMETHODIMP_(long) GetActualDataLength() override { return m_nLength; }
  STDMETHODIMP SetActualDataLength(long length) override {
    if (length < 0 || length > m_nSize) return VFW_E_BUFFER_OVERFLOW;
    m_nLength = length;
    return S_OK;
  }
  // The format never changes while connected.
  STDMETHODIMP GetMediaType(AM_MEDIA_TYPE** type) override {
    if (!type) return E_POINTER;
    *type = nullptr;
    return S_FALSE;
  }
  STDMETHODIMP SetMediaType(AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
  STDMETHODIMP IsDiscontinuity() override { return m_bDiscontinuity ? S_OK : S_FALSE; }
  STDMETHODIMP SetDiscontinuity(BOOL discontinuity) override {
    m_bDiscontinuity = discontinuity != FALSE;
    return S_OK;
  }
  STDMETHODIMP GetMediaTime(LONGLONG*, LONGLONG*) override { return VFW_E_MEDIA_TIME_NOT_SET; }
  STDMETHODIMP SetMediaTime(LONGLONG*, LONGLONG*) override { return S_OK; }

 private:
  LONG m_nRefs = 0;
  CDibAllocator& m_allocator;
  HBITMAP m_hBitmap;
  BYTE* m_pBits;
  long m_nSize;
  long m_nLength = 0;
  bool m_bTimeSet = false, m_bSync = false, m_bDiscontinuity = false, m_bPreroll = false;
  REFERENCE_TIME m_tStart = 0, m_tEnd = 0;
};

HRESULT CDibAllocator::Create(const BITMAPINFOHEADER& format, IMemAllocator** out) {
  if (!out) return E_POINTER;
  *out = new (std::nothrow) CDibAllocator(format);
  return *out ? S_OK : E_OUTOFMEMORY;
}

HBITMAP CDibAllocator::BitmapOf(IMediaSample* sample) { return static_cast<CDibSample*>(sample)->bitmap(); }

CDibAllocator::CDibAllocator(const BITMAPINFOHEADER& format)
    : m_format(format), m_hFreed(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
  InitializeCriticalSection(&m_csLock);
  ObjectCreated();
}

CDibAllocator::~CDibAllocator() {
  FreeIdleSamples();
  CloseHandle(m_hFreed);
  DeleteCriticalSection(&m_csLock);
  ObjectDestroyed();
}

STDMETHODIMP CDibAllocator::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid != IID_IUnknown && riid != IID_IMemAllocator) {
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  *ppv = static_cast<IMemAllocator*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) CDibAllocator::AddRef() { return InterlockedIncrement(&m_nRefs); }

STDMETHODIMP_(ULONG) CDibAllocator::Release() {
  const LONG refs = InterlockedDecrement(&m_nRefs);
  if (refs == 0) delete this;
  return refs;
}

STDMETHODIMP CDibAllocator::SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) {
  if (!request || !actual) return E_POINTER;
  EnterCriticalSection(&m_csLock);
  HRESULT hr = S_OK;
  if (m_bCommitted || m_nOut > 0) {
    hr = VFW_E_ALREADY_COMMITTED;
  } else if (request->cbBuffer > static_cast<long>(m_format.biSizeImage) || request->cbPrefix > 0 ||
             request->cbAlign > 16) {
    hr = VFW_E_BADALIGN;  // a DIB section has exactly one picture, aligned as the system aligns it
  } else {
    m_props.cBuffers = request->cBuffers > 0 ? request->cBuffers : 1;
    m_props.cbBuffer = static_cast<long>(m_format.biSizeImage);
    m_props.cbAlign = 1;
    m_props.cbPrefix = 0;
  }
  *actual = m_props;
  LeaveCriticalSection(&m_csLock);
  return hr;
}

STDMETHODIMP CDibAllocator::GetProperties(ALLOCATOR_PROPERTIES* props) {
  if (!props) return E_POINTER;
  EnterCriticalSection(&m_csLock);
  *props = m_props;
  LeaveCriticalSection(&m_csLock);
  return S_OK;
}

STDMETHODIMP CDibAllocator::Commit() {
  EnterCriticalSection(&m_csLock);
  HRESULT hr = S_OK;
  if (!m_bCommitted) {
    if (m_props.cBuffers == 0) {
      hr = VFW_E_SIZENOTSET;
    } else {
      BITMAPINFO info{};
      info.bmiHeader = m_format;
      while (static_cast<long>(m_idle.size()) + m_nOut < m_props.cBuffers) {
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        CDibSample* sample =
            bitmap ? new (std::nothrow) CDibSample(*this, bitmap, static_cast<BYTE*>(bits), m_props.cbBuffer) : nullptr;
        if (!sample) {
          if (bitmap) DeleteObject(bitmap);
          hr = E_OUTOFMEMORY;
          break;
        }
        m_idle.push_back(sample);
      }
      m_bCommitted = SUCCEEDED(hr);
    }
  }
  LeaveCriticalSection(&m_csLock);
  return hr;
}

STDMETHODIMP CDibAllocator::Decommit() {
  EnterCriticalSection(&m_csLock);
  m_bCommitted = false;
  LeaveCriticalSection(&m_csLock);
  FreeIdleSamples();   // samples still out are freed as they come back
  SetEvent(m_hFreed);  // a waiting GetBuffer gives up
  return S_OK;
}

void CDibAllocator::FreeIdleSamples() {
  EnterCriticalSection(&m_csLock);
  for (CDibSample* sample : m_idle) delete sample;
  m_idle.clear();
  LeaveCriticalSection(&m_csLock);
}

STDMETHODIMP CDibAllocator::GetBuffer(IMediaSample** out, REFERENCE_TIME*, REFERENCE_TIME*, DWORD flags) {
  if (!out) return E_POINTER;
  *out = nullptr;
  for (;;) {
    EnterCriticalSection(&m_csLock);
    if (!m_bCommitted) {
      LeaveCriticalSection(&m_csLock);
      return VFW_E_NOT_COMMITTED;
    }
    if (!m_idle.empty()) {
      CDibSample* sample = m_idle.back();
      m_idle.pop_back();
      ++m_nOut;
      LeaveCriticalSection(&m_csLock);
      sample->Reset();
      AddRef();  // a sample out keeps its allocator
      *out = sample;
      return S_OK;
    }
    LeaveCriticalSection(&m_csLock);
    if (flags & AM_GBF_NOWAIT) return VFW_E_TIMEOUT;
    WaitForSingleObject(m_hFreed, INFINITE);
  }
}

STDMETHODIMP CDibAllocator::ReleaseBuffer(IMediaSample* sample) {
  if (!sample) return E_POINTER;
  auto* dib = static_cast<CDibSample*>(sample);
  EnterCriticalSection(&m_csLock);
  --m_nOut;
  if (m_bCommitted)
    m_idle.push_back(dib);
  else
    delete dib;
  LeaveCriticalSection(&m_csLock);
  SetEvent(m_hFreed);
  Release();
  return S_OK;
}

}  // namespace capture
