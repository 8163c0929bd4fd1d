#include "devices/device_list_win.h"

#include <cwchar>

#include "platform/com_ptr.h"

using platform::ComPtr;

namespace devices {
namespace {

// The category's device monikers; VFW_E_NOT_FOUND for an empty category.
HRESULT EnumerateCategory(const GUID& category, ComPtr<IEnumMoniker>& monikers) {
  ComPtr<ICreateDevEnum> devices;
  HRESULT hr = CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                devices.ReceiveVoid());
  if (FAILED(hr)) return hr;
  hr = devices->CreateClassEnumerator(category, monikers.Receive(), 0);
  return hr == S_FALSE ? VFW_E_NOT_FOUND : hr;
}

// The moniker's friendly name into `out` (at most `capacity` characters with the terminator).
bool ReadFriendlyName(IMoniker* moniker, wchar_t* out, size_t capacity) {
  ComPtr<IPropertyBag> bag;
  if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.ReceiveVoid()))) return false;
  VARIANT name;
  VariantInit(&name);
  const bool ok = SUCCEEDED(bag->Read(L"FriendlyName", &name, nullptr)) && name.vt == VT_BSTR && name.bstrVal;
  if (ok) {
    wcsncpy(out, name.bstrVal, capacity - 1);
    out[capacity - 1] = L'\0';
  }
  VariantClear(&name);
  return ok;
}

template <class Visit>  // bool(const wchar_t* name): false ends the listing
void VisitDeviceNames(const GUID& category, Visit visit) {
  ComPtr<IEnumMoniker> monikers;
  if (FAILED(EnumerateCategory(category, monikers))) return;
  ComPtr<IMoniker> moniker;
  wchar_t name[DeviceNameList::kSlotChars];
  while (monikers->Next(1, moniker.Receive(), nullptr) == S_OK) {
    if (ReadFriendlyName(moniker.get(), name, DeviceNameList::kSlotChars) && !visit(name)) return;
  }
}

}  // namespace

int ListDeviceNames(const GUID& category, DeviceNameList& list) {
  list.count = 0;
  VisitDeviceNames(category, [&list](const wchar_t* name) {
    wcscpy(list.names[list.count++], name);
    return list.count < DeviceNameList::kSlots;
  });
  return list.count;
}

std::vector<std::wstring> ListAllDeviceNames(const GUID& category) {
  std::vector<std::wstring> names;
  VisitDeviceNames(category, [&names](const wchar_t* name) {
    names.emplace_back(name);
    return true;
  });
  return names;
}

HRESULT FindCaptureDevice(const wchar_t* name, IBaseFilter** filter) {
  *filter = nullptr;
  ComPtr<IEnumMoniker> monikers;
  const HRESULT hr = EnumerateCategory(CLSID_VideoInputDeviceCategory, monikers);
  if (FAILED(hr)) return hr;
  ComPtr<IMoniker> moniker;
  wchar_t friendly[DeviceNameList::kSlotChars];
  while (monikers->Next(1, moniker.Receive(), nullptr) == S_OK) {
    if (ReadFriendlyName(moniker.get(), friendly, DeviceNameList::kSlotChars) && wcscmp(friendly, name) == 0)
      return moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(filter));
  }
  return VFW_E_NOT_FOUND;
}

}  // namespace devices
