// An allocator whose samples are DIB sections, so that a video device draws each frame
// straight into the buffer the downstream filter reads, without a copy of its own. Offered
// first by pins whose stream asks for it; a downstream that insists on its own allocator
// gets the usual one instead.
#pragma once
#include <dshow.h>

#include <vector>

namespace capture {

class CDibSample;

class CDibAllocator final : public IMemAllocator {
 public:
  // Samples hold pictures of this header's format (bottom-up RGB).
  static HRESULT Create(const BITMAPINFOHEADER& format, IMemAllocator** out);
  // The bitmap behind a sample this allocator handed out, to select into a device context.
  static HBITMAP BitmapOf(IMediaSample* sample);

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) override;
  STDMETHODIMP GetProperties(ALLOCATOR_PROPERTIES* props) override;
  STDMETHODIMP Commit() override;
  STDMETHODIMP Decommit() override;
  STDMETHODIMP GetBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* end, DWORD flags) override;
  STDMETHODIMP ReleaseBuffer(IMediaSample* sample) override;

 private:
  explicit CDibAllocator(const BITMAPINFOHEADER& format);
  ~CDibAllocator();
  void FreeIdleSamples();

  LONG m_nRefs = 1;
  BITMAPINFOHEADER m_format;
  CRITICAL_SECTION m_csLock;
  HANDLE m_hFreed;  // auto reset: a sample came back
  ALLOCATOR_PROPERTIES m_props{};
  bool m_bCommitted = false;
  std::vector<CDibSample*> m_idle;
  long m_nOut = 0;  // samples handed out and not yet back
};

}  // namespace capture
