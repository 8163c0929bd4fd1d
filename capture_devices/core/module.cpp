// The DLL's COM entry points: class objects for its devices, and their registration as
// video or audio input devices that the system device enumerator lists by friendly name.
#include "capture_devices/core/module.h"

#include <dshow.h>

#include <new>
#include <string>
#include <vector>

#include "capture_devices/core/capture_stream.h"
#include "platform/com_ptr.h"
#include "capture_devices/core/source_filter.h"

namespace capture {

using platform::ComPtr;

namespace {

HMODULE g_module = nullptr;
LONG g_objects = 0;
LONG g_locks = 0;

class CClassFactory final : public IClassFactory {
 public:
  explicit CClassFactory(const DeviceInfo& device) : m_device(device) {}
  const CLSID& clsid() const { return *m_device.clsid; }
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
      *ppv = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  // The factories are static; they only keep the DLL loaded while in use.
  STDMETHODIMP_(ULONG) AddRef() override {
    ServerLocked(true);
    return 2;
  }
  STDMETHODIMP_(ULONG) Release() override {
    ServerLocked(false);
    return 1;
  }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    std::unique_ptr<CaptureStream> stream = m_device.create_stream();
    if (!stream) return E_OUTOFMEMORY;
    auto* filter = new (std::nothrow) CSourceFilter(m_device, std::move(stream));
    if (!filter) return E_OUTOFMEMORY;
    const HRESULT hr = filter->QueryInterface(riid, ppv);
    filter->Release();
    return hr;
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    ServerLocked(lock != FALSE);
    return S_OK;
  }

 private:
  const DeviceInfo& m_device;
};

std::wstring ClsidText(const CLSID& clsid) {
  wchar_t text[40] = {};
  StringFromGUID2(clsid, text, 40);
  return text;
}

// COM must be usable during (un)registration; regsvr32 has it, other callers may not.
class ComScope {
 public:
  ComScope() : m_hr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(m_hr)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  HRESULT m_hr;
};

HRESULT SetString(HKEY key, const wchar_t* name, const std::wstring& value) {
  return HRESULT_FROM_WIN32(RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))));
}

// HKCR\CLSID\{clsid}: the name, and InprocServer32 with this DLL's path.
HRESULT RegisterComClass(const DeviceInfo& device, const std::wstring& module_path) {
  const std::wstring key_path = L"CLSID\\" + ClsidText(*device.clsid) + L"\\InprocServer32";
  HKEY key;
  LSTATUS status =
      RegCreateKeyExW(HKEY_CLASSES_ROOT, key_path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
  HRESULT hr = SetString(key, nullptr, module_path);
  if (SUCCEEDED(hr)) hr = SetString(key, L"ThreadingModel", L"Both");
  RegCloseKey(key);
  if (FAILED(hr)) return hr;
  status = RegSetKeyValueW(HKEY_CLASSES_ROOT, (L"CLSID\\" + ClsidText(*device.clsid)).c_str(), nullptr, REG_SZ,
                           device.friendly_name, static_cast<DWORD>((wcslen(device.friendly_name) + 1) * 2));
  return HRESULT_FROM_WIN32(status);
}

// The device's entry in its category, through the filter mapper.
HRESULT RegisterInCategory(const DeviceInfo& device) {
  ComPtr<IFilterMapper2> mapper;
  HRESULT hr =
      CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2, mapper.ReceiveVoid());
  if (FAILED(hr)) return hr;
  const bool video = *device.category == CLSID_VideoInputDeviceCategory;
  REGPINTYPES type = {video ? &MEDIATYPE_Video : &MEDIATYPE_Audio, &MEDIASUBTYPE_NULL};
  REGFILTERPINS pin = {};
  pin.strName = const_cast<LPWSTR>(L"Capture");
  pin.bOutput = TRUE;
  pin.nMediaTypes = 1;
  pin.lpMediaType = &type;
  REGFILTER2 filter = {};
  filter.dwVersion = 1;
  filter.dwMerit = MERIT_DO_NOT_USE;
  filter.cPins = 1;
  filter.rgPins = &pin;
  return mapper->RegisterFilter(*device.clsid, device.friendly_name, nullptr, device.category, nullptr, &filter);
}

HRESULT UnregisterDevice(const DeviceInfo& device) {
  ComPtr<IFilterMapper2> mapper;
  HRESULT hr =
      CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2, mapper.ReceiveVoid());
  if (SUCCEEDED(hr)) hr = mapper->UnregisterFilter(device.category, nullptr, *device.clsid);
  // When ours were the category's last devices, its emptied list goes too (a fresh system
  // may have had none); RegDeleteKey leaves a list that still holds devices.
  RegDeleteKeyW(HKEY_CLASSES_ROOT, (L"CLSID\\" + ClsidText(*device.category) + L"\\Instance").c_str());
  const LSTATUS status = RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + ClsidText(*device.clsid)).c_str());
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND && SUCCEEDED(hr)) hr = HRESULT_FROM_WIN32(status);
  return hr;
}

}  // namespace

void ObjectCreated() { InterlockedIncrement(&g_objects); }
void ObjectDestroyed() { InterlockedDecrement(&g_objects); }
void ServerLocked(bool lock) {
  if (lock)
    InterlockedIncrement(&g_locks);
  else
    InterlockedDecrement(&g_locks);
}
HMODULE ThisModule() { return g_module; }

}  // namespace capture

using capture::kDeviceCount;
using capture::kDevices;

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
  if (reason == DLL_PROCESS_ATTACH) {
    capture::g_module = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  static std::vector<capture::CClassFactory> factories(kDevices, kDevices + kDeviceCount);
  for (capture::CClassFactory& factory : factories)
    if (factory.clsid() == clsid) return factory.QueryInterface(riid, ppv);
  return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() { return capture::g_objects == 0 && capture::g_locks == 0 ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(capture::g_module, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return E_FAIL;
  const capture::ComScope com;
  for (size_t i = 0; i < kDeviceCount; ++i) {
    HRESULT hr = capture::RegisterComClass(kDevices[i], path);
    if (SUCCEEDED(hr)) hr = capture::RegisterInCategory(kDevices[i]);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

STDAPI DllUnregisterServer() {
  const capture::ComScope com;
  HRESULT result = S_OK;
  for (size_t i = 0; i < kDeviceCount; ++i) {
    const HRESULT hr = capture::UnregisterDevice(kDevices[i]);
    if (FAILED(hr)) result = hr;
  }
  return result;
}

}  // extern "C"
