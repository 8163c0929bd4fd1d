// Device listing and live camera pictures through DirectShow, against the test devices (the
// test registers them through their DLL's own registration).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "devices/device_list_win.h"
#include "devices/preview_graph_win.h"
#include "resource_counts.h"

using namespace devices;

namespace {

std::wstring BesideThisProgram(const wchar_t* name) {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L'\\') + 1) + name;
}

HMODULE g_test_devices = nullptr;

class DevicesEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    g_test_devices = LoadLibraryW(BesideThisProgram(L"QuorlinTestDevices.dll").c_str());
    ASSERT_NE(g_test_devices, nullptr);
    ASSERT_EQ(Entry("DllRegisterServer")(), S_OK);
  }
  void TearDown() override { CoUninitialize(); }
  static HRESULT(WINAPI* Entry(const char* name))() {
    return reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(g_test_devices, name)));
  }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new DevicesEnvironment);

bool Listed(const DeviceNameList& list, const wchar_t* name) {
  for (int i = 0; i < list.count; ++i)
    if (std::wstring(list.names[i]) == name) return true;
  return false;
}

std::wstring CameraFormat() {
  wchar_t text[64] = {};
  DWORD size = sizeof(text);
  RegGetValueW(HKEY_CURRENT_USER, L"Software\\Quorlin\\Test Devices", L"camera_format", RRF_RT_REG_SZ, nullptr, text,
               &size);
  return text;
}

// A plain window for the picture.
HWND MakeVideoWindow() {
  return CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
}

}  // namespace

TEST(DeviceListing, NamesByCategoryAndExactMatch) {
  DeviceNameList video, audio;
  EXPECT_GE(ListDeviceNames(CLSID_VideoInputDeviceCategory, video), 1);
  EXPECT_GE(ListDeviceNames(CLSID_AudioInputDeviceCategory, audio), 1);
  EXPECT_TRUE(Listed(video, L"Quorlin Test Camera"));
  EXPECT_TRUE(Listed(audio, L"Quorlin Test Microphone"));
  EXPECT_FALSE(Listed(video, L"Quorlin Test Microphone"));

  IBaseFilter* filter = nullptr;
  EXPECT_EQ(FindCaptureDevice(L"quorlin test camera", &filter), VFW_E_NOT_FOUND) << "letter case counts";
  EXPECT_EQ(filter, nullptr);
  ASSERT_EQ(FindCaptureDevice(L"Quorlin Test Camera", &filter), S_OK);
  filter->Release();
}

TEST(CameraPreview, SizesAreListedChosenAndApplied) {
  HWND window = MakeVideoWindow();
  std::unique_ptr<PreviewGraph> slot;
  std::vector<CaptureSize> sizes;
  // The settings dialog's size step: list, choose, apply.
  ASSERT_TRUE(StartPreview(slot, L"Quorlin Test Camera", window, [&](PreviewGraph& graph) {
    sizes = ListCaptureSizes(graph);
    const CaptureSize chosen = ChooseCaptureSize(sizes, {});
    EXPECT_EQ(SetCaptureSize(graph, chosen.width, chosen.height), 0);
  }));
  EXPECT_EQ(sizes, (std::vector<CaptureSize>{{1280, 720}, {640, 480}, {1920, 1080}, {640, 480}, {640, 480}}));
  EXPECT_EQ(CameraFormat(), L"RGB32 1280x720") << "no YUY2 or RGB24 at 1280x720: the camera keeps its format";
  EXPECT_EQ(FitVideoToWindow(*slot), S_OK);

  // A stored 640x480 picks the first YUY2 or RGB24 capability of that size.
  ASSERT_TRUE(
      StartPreview(slot, L"Quorlin Test Camera", window, [](PreviewGraph& graph) { SetCaptureSize(graph, 640, 480); }));
  EXPECT_EQ(CameraFormat(), L"YUY2 640x480");
  EndPreview(slot);

  PreviewGraph empty;
  EXPECT_EQ(FitVideoToWindow(empty), E_FAIL);
  EXPECT_FALSE(StartPreview(slot, L"No Such Camera", window, nullptr));
  EndPreview(slot);
  DestroyWindow(window);
}

// Fifty previews started and ended: the camera is released every time (its DLL has no object
// left), and no thread stays behind.
TEST(CameraPreview, FiftyPreviewsReleaseTheCamera) {
  HWND window = MakeVideoWindow();
  std::unique_ptr<PreviewGraph> slot;
  const auto can_unload = DevicesEnvironment::Entry("DllCanUnloadNow");
  for (int i = 0; i < 3; ++i) {  // what stays loaded is loaded by the first runs
    ASSERT_TRUE(StartPreview(slot, L"Quorlin Test Camera", window, nullptr));
    EndPreview(slot);
  }
  const ResourceCounts before = CountResources();
  for (int i = 3; i < 50; ++i) {
    ASSERT_TRUE(StartPreview(slot, L"Quorlin Test Camera", window, nullptr));
    Sleep(40);
    EndPreview(slot);
    ASSERT_EQ(can_unload(), S_OK) << "run " << i;
  }
  const ResourceCounts after = CountResources();
  EXPECT_EQ(after.threads, before.threads);
  // Wine's device enumerator and filter graph keep a few handles per use of their own; ours
  // keep none (the device tests count them without those).
  RecordProperty("handles_per_preview", std::to_string((after.handles - before.handles) / 47.0));
  std::printf("handles: %ld before, %ld after 47 previews\n", before.handles, after.handles);
  DestroyWindow(window);
}
