#include "capture_devices/devices/sound_endpoints.h"

#include <vector>

#include "capture_devices/rules/loopback_stand_in.h"

namespace capture {

using platform::ComPtr;

namespace {
const PROPERTYKEY kFriendlyName = {{0xa45c254e, 0xdf1c, 0x4efd, {0x80, 0x20, 0x67, 0xd1, 0x46, 0xa8, 0x50, 0xe0}}, 14};
}  // namespace

std::wstring IdOf(IMMDevice* device) {
  LPWSTR id = nullptr;
  if (!device || FAILED(device->GetId(&id))) return L"";
  std::wstring text = id;
  CoTaskMemFree(id);
  return text;
}

std::wstring FriendlyNameOf(IMMDevice* device) {
  ComPtr<IPropertyStore> properties;
  PROPVARIANT name;
  PropVariantInit(&name);
  std::wstring text;
  if (SUCCEEDED(device->OpenPropertyStore(STGM_READ, properties.Receive())) &&
      SUCCEEDED(properties->GetValue(kFriendlyName, &name)) && name.vt == VT_LPWSTR)
    text = name.pwszVal;
  PropVariantClear(&name);
  return text;
}

ComPtr<IMMDevice> FindMonitorOf(IMMDeviceEnumerator* enumerator, IMMDevice* output, bool loopback_refused) {
  const std::vector<std::wstring> names = LoopbackStandInNames(FriendlyNameOf(output), loopback_refused);
  ComPtr<IMMDeviceCollection> inputs;
  UINT count = 0;
  if (names.empty() || FAILED(enumerator->EnumAudioEndpoints(eCapture, DEVICE_STATE_ACTIVE, inputs.Receive())) ||
      FAILED(inputs->GetCount(&count)))
    return {};
  for (const std::wstring& wanted : names) {
    for (UINT i = 0; i < count; ++i) {
      ComPtr<IMMDevice> input;
      if (SUCCEEDED(inputs->Item(i, input.Receive())) && FriendlyNameOf(input.get()) == wanted) return input;
    }
  }
  return {};
}

}  // namespace capture
