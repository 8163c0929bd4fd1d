#include "devices/preview_graph_win.h"

#include <olectl.h>

#include "devices/device_list_win.h"

using platform::ComPtr;

namespace devices {
namespace {

constexpr DWORD kHdycFourcc = 0x43594448;  // "HDYC" as the first 32 bits of a subtype

// The camera's stream configuration and the size of its capability records.
ComPtr<IAMStreamConfig> CaptureStreamConfig(PreviewGraph& graph, int& count, int& size) {
  ComPtr<IAMStreamConfig> config;
  if (FAILED(graph.builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, graph.source.get(),
                                          IID_IAMStreamConfig, config.ReceiveVoid())) ||
      FAILED(config->GetNumberOfCapabilities(&count, &size)))
    return ComPtr<IAMStreamConfig>();
  return config;
}

// Each FORMAT_VideoInfo video capability with its media type, until `visit` answers true.
template <class Visit>
void ForEachVideoCapability(IAMStreamConfig* config, int count, int size, Visit visit) {
  if (size != sizeof(VIDEO_STREAM_CONFIG_CAPS) || count <= 0) return;
  for (int i = 0; i < count; ++i) {
    AM_MEDIA_TYPE* mt = nullptr;
    VIDEO_STREAM_CONFIG_CAPS caps;
    if (FAILED(config->GetStreamCaps(i, &mt, reinterpret_cast<BYTE*>(&caps))) || !mt) continue;
    const bool video_info = mt->majortype == MEDIATYPE_Video && mt->formattype == FORMAT_VideoInfo &&
                            mt->cbFormat >= sizeof(VIDEOINFOHEADER) && mt->pbFormat;
    const bool stop = video_info && visit(*mt, *reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat));
    CoTaskMemFree(mt->pbFormat);
    if (mt->pUnk) mt->pUnk->Release();
    CoTaskMemFree(mt);
    if (stop) return;
  }
}

}  // namespace

HRESULT CreateCaptureGraph(PreviewGraph& graph) {
  HRESULT hr =
      CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph.graph.ReceiveVoid());
  if (FAILED(hr)) return hr;
  hr = CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER, IID_ICaptureGraphBuilder2,
                        graph.builder.ReceiveVoid());
  if (SUCCEEDED(hr)) hr = graph.builder->SetFiltergraph(graph.graph.get());
  if (FAILED(hr)) {
    graph.builder.Reset();
    graph.graph.Reset();
  }
  return hr;
}

std::vector<CaptureSize> ListCaptureSizes(PreviewGraph& graph) {
  std::vector<CaptureSize> sizes;
  int count = 0, size = 0;
  ComPtr<IAMStreamConfig> config = CaptureStreamConfig(graph, count, size);
  if (!config) return sizes;
  ForEachVideoCapability(config.get(), count, size, [&](AM_MEDIA_TYPE&, VIDEOINFOHEADER& vih) {
    sizes.push_back({vih.bmiHeader.biWidth, vih.bmiHeader.biHeight});
    return false;
  });
  return sizes;
}

int SetCaptureSize(PreviewGraph& graph, int32_t width, int32_t height) {
  int count = 0, size = 0;
  ComPtr<IAMStreamConfig> config = CaptureStreamConfig(graph, count, size);
  if (!config) return -1;
  ForEachVideoCapability(config.get(), count, size, [&](AM_MEDIA_TYPE& mt, VIDEOINFOHEADER& vih) {
    const bool subtype =
        mt.subtype == MEDIASUBTYPE_YUY2 || mt.subtype == MEDIASUBTYPE_RGB24 || mt.subtype.Data1 == kHdycFourcc;
    if (!subtype || vih.bmiHeader.biWidth != width || vih.bmiHeader.biHeight != height) return false;
    vih.AvgTimePerFrame = 400000;  // 25 frames per second
    config->SetFormat(&mt);
    return true;
  });
  return 0;
}

HRESULT AttachVideoWindow(PreviewGraph& graph, HWND window) {
  graph.video_window = window;
  HRESULT hr = CoCreateInstance(CLSID_VideoMixingRenderer, nullptr, CLSCTX_INPROC, IID_IBaseFilter,
                                graph.renderer.ReceiveVoid());
  if (FAILED(hr)) return hr;
  hr = graph.graph->AddFilter(graph.renderer.get(), L"Video Mixing Renderer");
  if (FAILED(hr)) {
    graph.renderer.Reset();
    return hr;
  }
  ComPtr<IVMRFilterConfig> config;
  hr = graph.renderer->QueryInterface(IID_IVMRFilterConfig, config.ReceiveVoid());
  if (SUCCEEDED(hr)) hr = config->SetRenderingMode(VMRMode_Windowless);
  if (FAILED(hr)) return hr;
  hr = graph.renderer->QueryInterface(IID_IVMRWindowlessControl, graph.windowless.ReceiveVoid());
  if (SUCCEEDED(hr)) hr = graph.windowless->SetVideoClippingWindow(window);
  return hr;
}

HRESULT FitVideoToWindow(PreviewGraph& graph) {
  if (!graph.windowless) return E_FAIL;
  RECT client;
  GetClientRect(graph.video_window, &client);
  LONG vw = 0, vh = 0;
  const HRESULT hr = graph.windowless->GetNativeVideoSize(&vw, &vh, nullptr, nullptr);
  if (FAILED(hr)) return hr;
  RECT source = {0, 0, vw, vh};
  const Box fit = FitPicture(client.right, client.bottom, vw, vh);
  RECT target = {fit.left, fit.top, fit.right, fit.bottom};
  return graph.windowless->SetVideoPosition(&source, &target);
}

namespace {
// IMediaControl::Run or Stop, asked only of a graph that also has IMediaEvent.
HRESULT ControlGraph(PreviewGraph& graph, HRESULT (STDMETHODCALLTYPE IMediaControl::*action)()) {
  ComPtr<IMediaControl> control;
  ComPtr<IMediaEvent> events;
  HRESULT hr = graph.graph->QueryInterface(IID_IMediaControl, control.ReceiveVoid());
  if (SUCCEEDED(hr)) hr = graph.graph->QueryInterface(IID_IMediaEvent, events.ReceiveVoid());
  if (SUCCEEDED(hr)) hr = (control.get()->*action)();
  return hr;
}
}  // namespace

HRESULT RunGraph(PreviewGraph& graph) { return graph.graph ? ControlGraph(graph, &IMediaControl::Run) : E_POINTER; }
HRESULT StopGraph(PreviewGraph& graph) { return graph.graph ? ControlGraph(graph, &IMediaControl::Stop) : E_POINTER; }

void ReleaseCaptureGraph(PreviewGraph& graph) {
  graph.windowless.Reset();
  graph.renderer.Reset();
  graph.source.Reset();
  graph.graph.Reset();
  graph.builder.Reset();
}

HRESULT ShowDevicePropertyPages(HWND owner, IBaseFilter* filter) {
  if (!filter) return E_POINTER;
  ComPtr<ISpecifyPropertyPages> pages;
  HRESULT hr = filter->QueryInterface(IID_ISpecifyPropertyPages, pages.ReceiveVoid());
  if (FAILED(hr)) return hr;
  FILTER_INFO info{};
  filter->QueryFilterInfo(&info);
  ComPtr<IUnknown> object;
  filter->QueryInterface(IID_IUnknown, object.ReceiveVoid());
  CAUUID ids{};
  pages->GetPages(&ids);
  pages.Reset();
  IUnknown* objects[] = {object.get()};
  hr = OleCreatePropertyFrame(owner, 0, 0, info.achName, 1, objects, ids.cElems, ids.pElems, 0, 0, nullptr);
  if (info.pGraph) info.pGraph->Release();
  CoTaskMemFree(ids.pElems);
  return hr;
}

bool StartPreview(std::unique_ptr<PreviewGraph>& slot, const wchar_t* name, HWND window, const SizeStep& size_step) {
  EndPreview(slot);
  slot = std::make_unique<PreviewGraph>();
  PreviewGraph& graph = *slot;
  if (FAILED(CreateCaptureGraph(graph))) return false;
  if (FAILED(FindCaptureDevice(name, reinterpret_cast<IBaseFilter**>(graph.source.Receive())))) return false;
  if (FAILED(graph.graph->AddFilter(graph.source.get(), L"Video Capture"))) return false;
  if (size_step) size_step(graph);
  if (FAILED(AttachVideoWindow(graph, window))) return false;
  const HRESULT rendered = graph.builder->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, graph.source.get(),
                                                       nullptr, graph.renderer.get());
  FitVideoToWindow(graph);
  return SUCCEEDED(rendered) && SUCCEEDED(RunGraph(graph));
}

void EndPreview(std::unique_ptr<PreviewGraph>& slot) {
  if (!slot) return;
  StopGraph(*slot);
  ReleaseCaptureGraph(*slot);
  slot.reset();
}

}  // namespace devices
