// A live camera picture in a window: a DirectShow graph from the camera to the Video Mixing
// Renderer in windowless mode, and the camera's capture sizes.
#pragma once
#include <windows.h>
#include <dshow.h>

#include <functional>
#include <memory>
#include <vector>

#include "devices/capture_size_rules.h"
#include "platform/com_ptr.h"

namespace devices {

struct PreviewGraph {
  platform::ComPtr<IGraphBuilder> graph;
  platform::ComPtr<ICaptureGraphBuilder2> builder;
  platform::ComPtr<IBaseFilter> source;
  HWND video_window = nullptr;
  platform::ComPtr<IBaseFilter> renderer;
  platform::ComPtr<IVMRWindowlessControl> windowless;
};

HRESULT CreateCaptureGraph(PreviewGraph& graph);
// The camera's sizes in capability order (FORMAT_VideoInfo capabilities only).
std::vector<CaptureSize> ListCaptureSizes(PreviewGraph& graph);
// Asks the camera for a YUY2, RGB24 or HDYC capability of this size at 25 frames per second;
// 0 when the capture pin could be asked, -1 otherwise.
int SetCaptureSize(PreviewGraph& graph, int32_t width, int32_t height);
HRESULT AttachVideoWindow(PreviewGraph& graph, HWND window);
HRESULT FitVideoToWindow(PreviewGraph& graph);
HRESULT RunGraph(PreviewGraph& graph);
HRESULT StopGraph(PreviewGraph& graph);
void ReleaseCaptureGraph(PreviewGraph& graph);
HRESULT ShowDevicePropertyPages(HWND owner, IBaseFilter* filter);

// Replaces the preview in `slot` with a new one of camera `name` drawn into `window`;
// `size_step` (may be empty) chooses and applies a capture size before the picture is
// connected. True when the picture runs; on failure the partial graph stays in the slot.
using SizeStep = std::function<void(PreviewGraph&)>;
bool StartPreview(std::unique_ptr<PreviewGraph>& slot, const wchar_t* name, HWND window, const SizeStep& size_step);
// Stops and releases the preview in `slot`, if any.
void EndPreview(std::unique_ptr<PreviewGraph>& slot);

}  // namespace devices
