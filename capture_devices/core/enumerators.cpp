#include "capture_devices/core/enumerators.h"

#include <new>

#include "capture_devices/core/module.h"

namespace capture {
namespace {

// The shared walk: Next, Skip and Reset over `items`, copied out by `Out`.
template <class Interface, class Item, class Element>
class CEnumerator : public Interface {
 public:
  CEnumerator(std::vector<Item> items, size_t at) : m_items(std::move(items)), m_nAt(at) { ObjectCreated(); }
  virtual ~CEnumerator() { ObjectDestroyed(); }
  CEnumerator(const CEnumerator&) = delete;
  CEnumerator& operator=(const CEnumerator&) = delete;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == __uuidof(Interface)) {
      *ppv = static_cast<Interface*>(this);
      this->AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_nRefs); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG refs = InterlockedDecrement(&m_nRefs);
    if (refs == 0) delete this;
    return refs;
  }
  STDMETHODIMP Next(ULONG count, Element** out, ULONG* fetched) override {
    if (!out || (count > 1 && !fetched)) return E_POINTER;
    ULONG n = 0;
    for (; n < count && m_nAt < m_items.size(); ++n, ++m_nAt) {
      out[n] = Copy(m_items[m_nAt]);
      if (!out[n]) break;
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  STDMETHODIMP Skip(ULONG count) override {
    const size_t left = m_items.size() - m_nAt;
    m_nAt += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
  }
  STDMETHODIMP Reset() override {
    m_nAt = 0;
    return S_OK;
  }
  STDMETHODIMP Clone(Interface** out) override {
    if (!out) return E_POINTER;
    *out = new (std::nothrow) CEnumerator(m_items, m_nAt);
    return *out ? S_OK : E_OUTOFMEMORY;
  }

 private:
  static IPin* Copy(const ComPtr<IPin>& pin) {
    pin->AddRef();
    return pin.get();
  }
  static AM_MEDIA_TYPE* Copy(const MediaType& type) { return type.NewTaskCopy(); }

  LONG m_nRefs = 1;
  std::vector<Item> m_items;
  size_t m_nAt;
};

}  // namespace

HRESULT NewPinEnumerator(IPin* pin, IEnumPins** out) {
  if (!out) return E_POINTER;
  *out = new (std::nothrow) CEnumerator<IEnumPins, ComPtr<IPin>, IPin>({ComPtr<IPin>::Share(pin)}, 0);
  return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT NewMediaTypeEnumerator(std::vector<MediaType> types, IEnumMediaTypes** out) {
  if (!out) return E_POINTER;
  *out = new (std::nothrow) CEnumerator<IEnumMediaTypes, MediaType, AM_MEDIA_TYPE>(std::move(types), 0);
  return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace capture
