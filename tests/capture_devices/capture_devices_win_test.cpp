// Our DirectShow devices as any program sees them: registered with their DLLs' own
// registration, listed by the system device enumerator, opened by name, their formats, the
// capture area read when the desktop device is opened, the desktop's physical pixels in a
// DPI-unaware host, and real graphs run and torn down.
#include <gtest/gtest.h>
#include <windows.h>
#include <dshow.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "capture_devices/core/media_type.h"
#include "platform/com_ptr.h"
#include "resource_counts.h"

using platform::ComPtr;

namespace {

const CLSID kNullRenderer = {0xc1f400a4, 0x3f08, 0x11d3, {0x9f, 0x0b, 0x00, 0x60, 0x08, 0x03, 0x9e, 0x37}};
const wchar_t kAreaKey[] = L"Software\\screen-capture-recorder";

std::wstring BesideThisProgram(const wchar_t* name) {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L'\\') + 1) + name;
}

// Registers both DLLs of the build through their own DllRegisterServer, once.
class DevicesEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    for (const wchar_t* dll : {L"QuorlinDevices.dll", L"QuorlinTestDevices.dll"}) {
      HMODULE module = LoadLibraryW(BesideThisProgram(dll).c_str());
      ASSERT_NE(module, nullptr);
      auto reg =
          reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(module, "DllRegisterServer")));
      ASSERT_NE(reg, nullptr);
      ASSERT_EQ(reg(), S_OK);
      FreeLibrary(module);
    }
  }
  void TearDown() override { CoUninitialize(); }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new DevicesEnvironment);

// Calls visit(name, moniker) for each device of the category, until it answers true.
template <class Visit>
void ForEachDevice(const GUID& category, Visit visit) {
  ComPtr<ICreateDevEnum> devices;
  ComPtr<IEnumMoniker> monikers;
  if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                              devices.ReceiveVoid())) ||
      devices->CreateClassEnumerator(category, monikers.Receive(), 0) != S_OK)
    return;
  ComPtr<IMoniker> moniker;
  bool done = false;
  while (!done && monikers->Next(1, moniker.Receive(), nullptr) == S_OK) {
    ComPtr<IPropertyBag> bag;
    VARIANT name;
    VariantInit(&name);
    if (SUCCEEDED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.ReceiveVoid())) &&
        SUCCEEDED(bag->Read(L"FriendlyName", &name, nullptr)))
      done = visit(std::wstring(name.bstrVal), moniker.get());
    VariantClear(&name);
  }
}

std::vector<std::wstring> ListDevices(const GUID& category) {
  std::vector<std::wstring> names;
  ForEachDevice(category, [&](const std::wstring& name, IMoniker*) {
    names.push_back(name);
    return false;
  });
  return names;
}

// Opens a device by its friendly name, as the encoder does.
ComPtr<IBaseFilter> OpenDevice(const GUID& category, const std::wstring& wanted) {
  ComPtr<IBaseFilter> filter;
  ForEachDevice(category, [&](const std::wstring& name, IMoniker* moniker) {
    if (name != wanted) return false;
    moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, filter.ReceiveVoid());
    return true;
  });
  return filter;
}

ComPtr<IPin> OutputPin(IBaseFilter* filter) {
  ComPtr<IEnumPins> pins;
  ComPtr<IPin> pin;
  if (SUCCEEDED(filter->EnumPins(pins.Receive()))) pins->Next(1, pin.Receive(), nullptr);
  return pin;
}

ComPtr<IAMStreamConfig> StreamConfig(IBaseFilter* filter) {
  ComPtr<IAMStreamConfig> config;
  ComPtr<IPin> pin = OutputPin(filter);
  if (pin) pin->QueryInterface(IID_IAMStreamConfig, config.ReceiveVoid());
  return config;
}

struct Format {
  GUID subtype;
  long width, height;
  bool operator==(const Format& o) const { return subtype == o.subtype && width == o.width && height == o.height; }
};

Format Describe(const AM_MEDIA_TYPE& mt) {
  const auto* vih = reinterpret_cast<const VIDEOINFOHEADER*>(mt.pbFormat);
  return {mt.subtype, vih->bmiHeader.biWidth, vih->bmiHeader.biHeight};
}

void FreeType(AM_MEDIA_TYPE* mt) {
  CoTaskMemFree(mt->pbFormat);
  CoTaskMemFree(mt);
}

std::vector<Format> Capabilities(IAMStreamConfig* config) {
  std::vector<Format> formats;
  int count = 0, size = 0;
  EXPECT_EQ(config->GetNumberOfCapabilities(&count, &size), S_OK);
  EXPECT_EQ(size, static_cast<int>(sizeof(VIDEO_STREAM_CONFIG_CAPS)));
  for (int i = 0; i < count; ++i) {
    AM_MEDIA_TYPE* mt = nullptr;
    VIDEO_STREAM_CONFIG_CAPS caps;
    EXPECT_EQ(config->GetStreamCaps(i, &mt, reinterpret_cast<BYTE*>(&caps)), S_OK);
    EXPECT_EQ(mt->formattype, FORMAT_VideoInfo);
    EXPECT_LE(caps.MinFrameInterval, 400000);  // 25 frames per second is always offered
    EXPECT_GE(caps.MaxFrameInterval, 400000);
    formats.push_back(Describe(*mt));
    FreeType(mt);
  }
  return formats;
}

Format CurrentFormat(IBaseFilter* filter) {
  AM_MEDIA_TYPE* mt = nullptr;
  EXPECT_EQ(StreamConfig(filter)->GetFormat(&mt), S_OK);
  const Format format = Describe(*mt);
  FreeType(mt);
  return format;
}

std::wstring ReadText(HKEY root, const wchar_t* key, const wchar_t* name) {
  wchar_t text[256] = {};
  DWORD size = sizeof(text);
  RegGetValueW(root, key, name, RRF_RT_REG_SZ, nullptr, text, &size);
  return text;
}

// Sets the capture-area values (any of them may be left out) for the next opening.
void SetArea(std::initializer_list<std::pair<const wchar_t*, DWORD>> values) {
  RegDeleteTreeW(HKEY_CURRENT_USER, kAreaKey);
  for (const auto& v : values)
    RegSetKeyValueW(HKEY_CURRENT_USER, kAreaKey, v.first, REG_DWORD, &v.second, sizeof(DWORD));
}

std::wstring StatsPath() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + L"quorlin-device-stats.txt";
}

// The lines the devices wrote to their stats file; the file is removed.
std::vector<std::string> TakeStats(const std::wstring& path) {
  std::vector<std::string> lines;
  {
    std::ifstream file{std::filesystem::path(path)};
    for (std::string line; std::getline(file, line);) lines.push_back(line);
  }
  DeleteFileW(path.c_str());
  return lines;
}

// The thread awareness functions of Windows 10 1607 and later, found at run time.
using DpiContext = HANDLE;
const DpiContext kUnaware = reinterpret_cast<DpiContext>(-1);
const DpiContext kPerMonitorAwareV2 = reinterpret_cast<DpiContext>(-4);
template <class Function>
Function User32(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

}  // namespace

TEST(DeviceList, OurDevicesAreListedByName) {
  const auto video = ListDevices(CLSID_VideoInputDeviceCategory);
  const auto audio = ListDevices(CLSID_AudioInputDeviceCategory);
  for (const wchar_t* name : {L"screen-capture-recorder", L"Quorlin Test Camera"})
    EXPECT_NE(std::find(video.begin(), video.end(), name), video.end())
        << "video: " << std::string(name, name + wcslen(name));
  for (const wchar_t* name : {L"virtual-audio-capturer", L"Quorlin Test Microphone"})
    EXPECT_NE(std::find(audio.begin(), audio.end(), name), audio.end());
  EXPECT_EQ(std::find(video.begin(), video.end(), L"virtual-audio-capturer"), video.end());
}

// Planar 4:2:0 first, which the encoder takes by itself and records as it is; RGB for hosts
// that want it.
TEST(DeviceFormats, DesktopOffersPlanarThenRgbAtTheScreenSize) {
  SetArea({});
  ComPtr<IBaseFilter> screen = OpenDevice(CLSID_VideoInputDeviceCategory, L"screen-capture-recorder");
  ASSERT_TRUE(screen);
  const long w = GetSystemMetrics(SM_CXSCREEN) / 2 * 2, h = GetSystemMetrics(SM_CYSCREEN) / 2 * 2;
  EXPECT_EQ(Capabilities(StreamConfig(screen.get()).get()),
            (std::vector<Format>{
                {capture::kMediaSubtypeI420, w, h}, {MEDIASUBTYPE_RGB32, w, h}, {MEDIASUBTYPE_RGB24, w, h}}));

  // The pin says it is a capture pin, which capture graph builders and the encoder look for.
  ComPtr<IKsPropertySet> properties;
  ASSERT_EQ(OutputPin(screen.get())->QueryInterface(IID_IKsPropertySet, properties.ReceiveVoid()), S_OK);
  GUID category = GUID_NULL;
  DWORD returned = 0;
  EXPECT_EQ(
      properties->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, &category, sizeof(category), &returned),
      S_OK);
  EXPECT_EQ(category, PIN_CATEGORY_CAPTURE);
}

TEST(DeviceFormats, TestCameraOffersWebcamFormatsAndShowsTheOneSet) {
  ComPtr<IBaseFilter> camera = OpenDevice(CLSID_VideoInputDeviceCategory, L"Quorlin Test Camera");
  ASSERT_TRUE(camera);
  ComPtr<IAMStreamConfig> config = StreamConfig(camera.get());
  EXPECT_EQ(Capabilities(config.get()), (std::vector<Format>{{MEDIASUBTYPE_RGB32, 1280, 720},
                                                             {MEDIASUBTYPE_RGB32, 640, 480},
                                                             {MEDIASUBTYPE_RGB32, 1920, 1080},
                                                             {MEDIASUBTYPE_YUY2, 640, 480},
                                                             {MEDIASUBTYPE_RGB24, 640, 480}}));
  EXPECT_EQ(CurrentFormat(camera.get()), (Format{MEDIASUBTYPE_RGB32, 1280, 720}));

  AM_MEDIA_TYPE* mt = nullptr;
  VIDEO_STREAM_CONFIG_CAPS caps;
  ASSERT_EQ(config->GetStreamCaps(3, &mt, reinterpret_cast<BYTE*>(&caps)), S_OK);
  reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat)->AvgTimePerFrame = 400000;
  EXPECT_EQ(config->SetFormat(mt), S_OK);
  EXPECT_EQ(CurrentFormat(camera.get()), (Format{MEDIASUBTYPE_YUY2, 640, 480}));
  EXPECT_EQ(ReadText(HKEY_CURRENT_USER, L"Software\\Quorlin\\Test Devices", L"camera_format"), L"YUY2 640x480");

  // A size the camera does not have is refused, and the format stays.
  reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat)->bmiHeader.biWidth = 800;
  EXPECT_EQ(config->SetFormat(mt), VFW_E_INVALIDMEDIATYPE);
  EXPECT_EQ(CurrentFormat(camera.get()), (Format{MEDIASUBTYPE_YUY2, 640, 480}));
  FreeType(mt);
}

TEST(DeviceFormats, DesktopReadsTheCaptureAreaWhenOpened) {
  const long w = GetSystemMetrics(SM_CXSCREEN) / 2 * 2, h = GetSystemMetrics(SM_CYSCREEN) / 2 * 2;
  struct Case {
    std::initializer_list<std::pair<const wchar_t*, DWORD>> values;
    long width, height;
  } cases[] = {
      {{{L"start_x", 104}, {L"start_y", 54}, {L"capture_height", 192}, {L"capture_width", 192}}, 192, 192},
      {{{L"start_x", 10}, {L"start_y", 10}, {L"capture_height", 201}, {L"capture_width", 301}}, 300, 200},
      {{{L"start_x", static_cast<DWORD>(-36)}, {L"start_y", 0}, {L"capture_height", 100}, {L"capture_width", 64}},
       64,
       100},
      {{{L"start_x", 104}, {L"start_y", 54}, {L"capture_width", 192}}, w, h},  // three values: the screen
      {{{L"start_x", 0}, {L"start_y", 0}, {L"capture_height", 0}, {L"capture_width", 0}}, w, h},
  };
  for (const Case& c : cases) {
    SetArea(c.values);
    ComPtr<IBaseFilter> screen = OpenDevice(CLSID_VideoInputDeviceCategory, L"screen-capture-recorder");
    ASSERT_TRUE(screen);
    SetArea({});  // too late for this opening: the area is read once
    EXPECT_EQ(CurrentFormat(screen.get()), (Format{capture::kMediaSubtypeI420, c.width, c.height}));
  }
}

// A host without DPI awareness (the encoder has no manifest) still gets the screen in physical
// pixels: the device makes the thread that opens it and its own capture thread aware, and
// gives the opening thread back as it was. An area far off every monitor is recorded (black).
TEST(DeviceDpi, DesktopCapturesPhysicalPixelsInAnUnawareHost) {
  const auto set_thread = User32<DpiContext(WINAPI*)(DpiContext)>("SetThreadDpiAwarenessContext");
  const auto get_thread = User32<DpiContext(WINAPI*)()>("GetThreadDpiAwarenessContext");
  const auto are_equal = User32<BOOL(WINAPI*)(DpiContext, DpiContext)>("AreDpiAwarenessContextsEqual");
  ASSERT_TRUE(set_thread && get_thread && are_equal);
  const DpiContext host = set_thread(kPerMonitorAwareV2);
  const long width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  ASSERT_TRUE(set_thread(kUnaware));
  const std::wstring stats = StatsPath();
  DeleteFileW(stats.c_str());
  SetEnvironmentVariableW(L"QUORLIN_DEVICE_STATS", stats.c_str());

  // One opening and 300 ms of capture; the figures of the device's stats line.
  using Figures = std::map<std::string, std::string>;
  const auto run = [&](Figures& figures) {
    {
      ComPtr<IGraphBuilder> graph;
      ASSERT_EQ(
          CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph.ReceiveVoid()),
          S_OK);
      ComPtr<IBaseFilter> screen = OpenDevice(CLSID_VideoInputDeviceCategory, L"screen-capture-recorder");
      ASSERT_TRUE(screen);
      EXPECT_TRUE(are_equal(get_thread(), kUnaware)) << "the host's thread is given back unaware";
      ComPtr<IBaseFilter> sink;
      ComPtr<IEnumPins> pins;
      ComPtr<IPin> sink_pin;
      ASSERT_EQ(CoCreateInstance(kNullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, sink.ReceiveVoid()),
                S_OK);
      ASSERT_EQ(graph->AddFilter(screen.get(), L"screen"), S_OK);
      ASSERT_EQ(graph->AddFilter(sink.get(), L"sink"), S_OK);
      ASSERT_EQ(sink->EnumPins(pins.Receive()), S_OK);
      ASSERT_EQ(pins->Next(1, sink_pin.Receive(), nullptr), S_OK);
      ASSERT_EQ(graph->ConnectDirect(OutputPin(screen.get()).get(), sink_pin.get(), nullptr), S_OK);
      ComPtr<IMediaControl> control;
      ASSERT_EQ(graph->QueryInterface(IID_IMediaControl, control.ReceiveVoid()), S_OK);
      ASSERT_TRUE(SUCCEEDED(control->Run()));
      Sleep(300);
      ASSERT_EQ(control->Stop(), S_OK);
    }
    const std::vector<std::string> lines = TakeStats(stats);
    ASSERT_EQ(lines.size(), 1u);
    std::istringstream words(lines[0]);
    for (std::string word; words >> word;)
      if (word.find('=') != std::string::npos)
        figures[word.substr(0, word.find('='))] = word.substr(word.find('=') + 1);
  };

  Figures full;
  SetArea({});
  run(full);
  // Per-monitor v2 where the system has it (Windows 10 1703 on), else per-monitor (Windows 10
  // 1607, Wine 8), never system awareness, which reads other monitors' scales wrongly.
  const std::set<std::string> aware = {"per-monitor-v2", "per-monitor"};
  EXPECT_EQ(aware.count(full["opened_dpi"]), 1u) << full["opened_dpi"];
  EXPECT_EQ(aware.count(full["capture_dpi"]), 1u) << full["capture_dpi"];
  const std::string size = std::to_string(width / 2 * 2) + "x" + std::to_string(height / 2 * 2);
  EXPECT_EQ(full["screen"], std::to_string(width) + "x" + std::to_string(height));
  EXPECT_EQ(full["area"], "0,0," + size);
  EXPECT_EQ(full["size"], size);
  EXPECT_EQ(full["unreadable"], "0");
  EXPECT_NE(full["delivered"], "0");

  Figures far_off;
  SetArea({{L"start_x", 2000000000},
           {L"start_y", static_cast<DWORD>(-2000000000)},
           {L"capture_height", 192},
           {L"capture_width", 292}});
  run(far_off);
  EXPECT_EQ(far_off["area"], "2000000000,-2000000000,292x192");
  EXPECT_NE(far_off["delivered"], "0");
  SetArea({});
  SetEnvironmentVariableW(L"QUORLIN_DEVICE_STATS", nullptr);
  set_thread(host);
}

// Fifty times: the desktop and the system sound created, connected to null renderers, run,
// stopped, taken out of the graph and released. Every run delivers, and nothing is left behind.
// (Wine's device enumerator and filter graph keep a few handles for every use of their own, so
// the devices are found by name once and the one graph is reused.)
TEST(DeviceStreaming, FiftyRunsDeliverAndLeaveNothingBehind) {
  const std::wstring stats = StatsPath();
  DeleteFileW(stats.c_str());
  SetEnvironmentVariableW(L"QUORLIN_DEVICE_STATS", stats.c_str());
  SetArea({{L"start_x", 0}, {L"start_y", 0}, {L"capture_height", 240}, {L"capture_width", 320}});

  struct Device {
    const wchar_t* name;
    CLSID clsid;
    ComPtr<IPin> sink_pin;
  } devices[] = {{L"screen-capture-recorder", GUID_NULL, {}}, {L"virtual-audio-capturer", GUID_NULL, {}}};
  ComPtr<IGraphBuilder> graph;
  ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph.ReceiveVoid()),
            S_OK);
  for (Device& device : devices) {
    const bool video = device.name[0] == L's';
    ComPtr<IBaseFilter> found =
        OpenDevice(video ? CLSID_VideoInputDeviceCategory : CLSID_AudioInputDeviceCategory, device.name);
    ASSERT_TRUE(found);
    found->GetClassID(&device.clsid);
    ComPtr<IBaseFilter> sink;
    ComPtr<IEnumPins> pins;
    ASSERT_EQ(CoCreateInstance(kNullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, sink.ReceiveVoid()),
              S_OK);
    ASSERT_EQ(graph->AddFilter(sink.get(), (std::wstring(device.name) + L" sink").c_str()), S_OK);
    ASSERT_EQ(sink->EnumPins(pins.Receive()), S_OK);
    ASSERT_EQ(pins->Next(1, device.sink_pin.Receive(), nullptr), S_OK);
  }
  ComPtr<IMediaControl> control;
  ASSERT_EQ(graph->QueryInterface(IID_IMediaControl, control.ReceiveVoid()), S_OK);

  const auto run_once = [&] {
    std::vector<ComPtr<IBaseFilter>> sources;
    for (Device& device : devices) {
      ComPtr<IBaseFilter> source;
      ASSERT_EQ(CoCreateInstance(device.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, source.ReceiveVoid()),
                S_OK);
      ASSERT_EQ(graph->AddFilter(source.get(), device.name), S_OK);
      ASSERT_EQ(graph->ConnectDirect(OutputPin(source.get()).get(), device.sink_pin.get(), nullptr), S_OK);
      sources.push_back(source);
    }
    ASSERT_TRUE(SUCCEEDED(control->Run()));
    Sleep(350);  // the devices begin at the graph's start time, 200 ms after its Run under Wine
    ASSERT_EQ(control->Stop(), S_OK);
    for (const auto& source : sources) ASSERT_EQ(graph->RemoveFilter(source.get()), S_OK);
  };

  // The first runs start what stays (the graph's clock and the platform's timer threads).
  for (int i = 0; i < 3; ++i) run_once();
  const ResourceCounts before = CountResources();
  for (int i = 3; i < 50; ++i) run_once();
  const ResourceCounts after = CountResources();
  EXPECT_EQ(after.threads, before.threads);
  EXPECT_EQ(after.handles, before.handles);
  SetArea({});
  SetEnvironmentVariableW(L"QUORLIN_DEVICE_STATS", nullptr);

  // One line per device and run, each with frames or sound chunks delivered.
  const std::vector<std::string> lines = TakeStats(stats);
  EXPECT_EQ(lines.size(), 100u);
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& line) { return line.find("delivered=0 ") == std::string::npos; }),
            100);
}
