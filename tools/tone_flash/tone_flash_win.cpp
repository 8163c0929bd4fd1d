// tone_flash: sound through the default output, for the system-sound tests.
//   tone_flash list
//       the active output and input endpoints, one a line: flow, "default" or "-", channels,
//       rate, channel mask, id, friendly name (UTF-8)
//   tone_flash tone SECONDS [CHANNEL [HZ]]
//       a 1 kHz tone (or one of HZ) at half scale on every channel of the output's own format,
//       or on channel CHANNEL (counted from 0; -1: every channel) only
//   tone_flash pulses SECONDS PERIOD_MS TONE_MS LEFT TOP WIDTH HEIGHT [HZ]
//       a black window at that place that turns white while a 1 kHz tone (or one of HZ) sounds, for TONE_MS
//       every PERIOD_MS; the window turns white at the instant the output's monitor input
//       captured the tone's start, so picture and sound change together whatever the output's
//       delay and however late this program reads its monitor. That instant is known only once
//       the pulse was heard, so each flash is at the instant the pulses heard before foretell,
//       and the first pulse, which teaches it, has no flash.
// Prints "playing" once the sound runs; ends after SECONDS. Exit code 1: no output to play on.
#include <audioclient.h>
#include <mmdeviceapi.h>
#include <mmreg.h>
#include <windows.h>
// After windows.h, which it needs.
#include <mmsystem.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <deque>
#include <string>

#include "capture_devices/devices/sound_endpoints.h"
#include "platform/com_ptr.h"

using platform::ComPtr;

namespace {

const GUID kFloatSubtype = {0x00000003, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

struct MixFormat {
  WAVEFORMATEX* p = nullptr;
  ~MixFormat() { CoTaskMemFree(p); }
  bool IsFloat() const {
    return p->wFormatTag == WAVE_FORMAT_IEEE_FLOAT ||
           (p->wFormatTag == WAVE_FORMAT_EXTENSIBLE &&
            reinterpret_cast<const WAVEFORMATEXTENSIBLE*>(p)->SubFormat == kFloatSubtype);
  }
  unsigned long Mask() const {
    return p->wFormatTag == WAVE_FORMAT_EXTENSIBLE ? reinterpret_cast<const WAVEFORMATEXTENSIBLE*>(p)->dwChannelMask
                                                   : 0;
  }
};

std::string Utf8(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size - 1 : 0, '\0');
  if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
  return out;
}

int List(IMMDeviceEnumerator* enumerator) {
  for (const EDataFlow flow : {eRender, eCapture}) {
    ComPtr<IMMDevice> standard;
    enumerator->GetDefaultAudioEndpoint(flow, eConsole, standard.Receive());
    const std::wstring default_id = capture::IdOf(standard.get());
    ComPtr<IMMDeviceCollection> all;
    UINT count = 0;
    if (FAILED(enumerator->EnumAudioEndpoints(flow, DEVICE_STATE_ACTIVE, all.Receive())) ||
        FAILED(all->GetCount(&count)))
      continue;
    for (UINT i = 0; i < count; ++i) {
      ComPtr<IMMDevice> device;
      ComPtr<IAudioClient> client;
      if (FAILED(all->Item(i, device.Receive()))) continue;
      MixFormat mix;
      if (SUCCEEDED(device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, client.ReceiveVoid())))
        client->GetMixFormat(&mix.p);
      std::printf("%s %s channels=%d rate=%lu mask=0x%lx id=%s name=%s\n", flow == eRender ? "render" : "capture",
                  capture::IdOf(device.get()) == default_id ? "default" : "-", mix.p ? mix.p->nChannels : 0,
                  mix.p ? mix.p->nSamplesPerSec : 0UL, mix.p ? mix.Mask() : 0UL,
                  Utf8(capture::IdOf(device.get()).c_str()).c_str(),
                  Utf8(capture::FriendlyNameOf(device.get()).c_str()).c_str());
    }
  }
  return 0;
}

bool g_bWhite = false;

LRESULT CALLBACK FlashProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_ERASEBKGND) {
    RECT rect;
    GetClientRect(window, &rect);
    FillRect(reinterpret_cast<HDC>(wparam), &rect,
             static_cast<HBRUSH>(GetStockObject(g_bWhite ? WHITE_BRUSH : BLACK_BRUSH)));
    return 1;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

HWND CreateFlashWindow(int left, int top, int width, int height) {
  WNDCLASSW window_class = {};
  window_class.lpfnWndProc = FlashProc;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"QuorlinToneFlash";
  RegisterClassW(&window_class);
  HWND window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, window_class.lpszClassName,
                                L"tone_flash", WS_POPUP | WS_DISABLED, left, top, width, height, nullptr, nullptr,
                                window_class.hInstance, nullptr);
  if (window) {
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
  }
  return window;
}

struct Plan {
  double seconds = 0;
  int channel = -1;  // -1: every channel
  double hz = 1000;
  double period_ms = 0;  // 0: one steady tone
  double tone_ms = 0;
  // In frames of the output's rate, once it is known.
  long long period = 0, tone = 0;
  long long first = 0;  // where the first pulse starts
  bool Sounds(long long frame) const {
    if (period == 0) return true;
    return frame >= first && (frame - first) % period < tone;
  }
};

// Hears what the output really plays, through its monitor input ("Monitor of " + its name
// under PulseAudio, or Wine's input of the same name as the output), and says when a pulse
// started there: the capture instant the input gives with each packet, whatever the output's
// own delay and however late the packet is read.
class MonitorListener {
 public:
  bool Open(IMMDeviceEnumerator* enumerator, IMMDevice* output) {
    // Never a loopback here: the same-name input counts as the monitor, as under Wine.
    const ComPtr<IMMDevice> monitor = capture::FindMonitorOf(enumerator, output, true);
    return monitor &&
           SUCCEEDED(monitor->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, m_client.ReceiveVoid())) &&
           SUCCEEDED(m_client->GetMixFormat(&m_mix.p)) &&
           ((m_mix.IsFloat() && m_mix.p->wBitsPerSample == 32) ||
            (!m_mix.IsFloat() && m_mix.p->wBitsPerSample == 16)) &&
           SUCCEEDED(m_client->Initialize(AUDCLNT_SHAREMODE_SHARED, 0, 5000000, 0, m_mix.p, nullptr)) &&
           SUCCEEDED(m_client->GetService(__uuidof(IAudioCaptureClient), m_capture.ReceiveVoid())) &&
           SUCCEEDED(m_client->Start());
  }

  // Reads what came; returns how many pulses started in it (loud after 50 ms quiet, so that a
  // short break in the output does not count), the last one's capture instant in `onset`
  // (seconds on the performance counter).
  int Heard(double* onset) {
    int heard = 0;
    UINT32 packet = 0;
    while (SUCCEEDED(m_capture->GetNextPacketSize(&packet)) && packet > 0) {
      BYTE* data = nullptr;
      UINT32 frames = 0;
      DWORD flags = 0;
      UINT64 position = 0, captured = 0;  // captured: 100-ns units of the performance counter
      if (FAILED(m_capture->GetBuffer(&data, &frames, &flags, &position, &captured))) break;
      if (!captured || (flags & AUDCLNT_BUFFERFLAGS_TIMESTAMP_ERROR)) {  // no instant given: now
        LARGE_INTEGER now, frequency;
        QueryPerformanceCounter(&now);
        QueryPerformanceFrequency(&frequency);
        captured = static_cast<UINT64>(static_cast<double>(now.QuadPart) * 1e7 / frequency.QuadPart);
      }
      const int channels = m_mix.p->nChannels;
      const double rate = m_mix.p->nSamplesPerSec;
      for (UINT32 i = 0; i < frames * channels; ++i) {
        const double v = (flags & AUDCLNT_BUFFERFLAGS_SILENT) ? 0.0
                         : m_mix.IsFloat()                    ? reinterpret_cast<const float*>(data)[i]
                                                              : reinterpret_cast<const int16_t*>(data)[i] / 32768.0;
        if (std::fabs(v) > 0.1) {
          if (!m_bSounding) {
            ++heard;
            *onset = captured * 1e-7 + (i / channels) / rate;
          }
          m_bSounding = true;
          m_nQuiet = 0;
        } else if (m_bSounding && ++m_nQuiet > 0.050 * rate * channels) {
          m_bSounding = false;
        }
      }
      m_capture->ReleaseBuffer(frames);
    }
    return heard;
  }

 private:
  ComPtr<IAudioClient> m_client;
  ComPtr<IAudioCaptureClient> m_capture;
  MixFormat m_mix;
  bool m_bSounding = false;
  long m_nQuiet = 0;
};

int Play(IMMDeviceEnumerator* enumerator, Plan plan, HWND window) {
  ComPtr<IMMDevice> device;
  ComPtr<IAudioClient> client;
  ComPtr<IAudioRenderClient> render;
  MixFormat mix;
  UINT32 buffer_frames = 0;
  if (FAILED(enumerator->GetDefaultAudioEndpoint(eRender, eConsole, device.Receive())) ||
      FAILED(device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, client.ReceiveVoid())) ||
      FAILED(client->GetMixFormat(&mix.p)) ||
      FAILED(client->Initialize(AUDCLNT_SHAREMODE_SHARED, 0, 5000000, 0, mix.p, nullptr)) ||
      FAILED(client->GetBufferSize(&buffer_frames)) ||
      FAILED(client->GetService(__uuidof(IAudioRenderClient), render.ReceiveVoid()))) {
    std::fprintf(stderr, "tone_flash: no output to play on\n");
    return 1;
  }
  MonitorListener monitor;
  if (window && !monitor.Open(enumerator, device.get())) {
    std::fprintf(stderr, "tone_flash: the output has no monitor input to follow\n");
    return 1;
  }
  const bool is_float = mix.IsFloat();
  const int channels = mix.p->nChannels;
  const double rate = mix.p->nSamplesPerSec;
  if (!(is_float && mix.p->wBitsPerSample == 32) && !(!is_float && mix.p->wBitsPerSample == 16)) {
    std::fprintf(stderr, "tone_flash: the output's format is neither float nor 16-bit\n");
    return 1;
  }
  plan.period = std::llround(plan.period_ms * rate / 1000);
  plan.tone = std::llround(plan.tone_ms * rate / 1000);
  plan.first = static_cast<long long>(rate / 2);  // the first pulse half a second in

  LARGE_INTEGER counter_frequency, start;
  QueryPerformanceFrequency(&counter_frequency);
  QueryPerformanceCounter(&start);
  const auto seconds = [&] {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - start.QuadPart) / counter_frequency.QuadPart;
  };
  // Kept 100 ms ahead of the output: a busy machine leaves no gap in the tone, and little is
  // lost when the output changes.
  const UINT32 ahead = std::min<UINT32>(buffer_frames, static_cast<UINT32>(rate * 0.100));
  long long written = 0;
  // What tells a gap of the rig's own from one of the recorder's: the longest time between two
  // looks at the output, and how often the output had played all it was given (once it runs).
  bool running = false;
  double last_look = 0, longest_wait = 0, longest_wait_at = 0, first_dry_at = 0;
  int dry = 0;
  const auto fill = [&] {
    UINT32 padding = 0;
    if (FAILED(client->GetCurrentPadding(&padding))) return;
    if (running) {
      const double now = seconds();
      if (now - last_look > longest_wait) {
        longest_wait = now - last_look;
        longest_wait_at = now;
      }
      last_look = now;
      if (padding == 0 && !dry++) first_dry_at = now;
    }
    if (padding >= ahead) return;
    const UINT32 frames = ahead - padding;
    BYTE* data = nullptr;
    if (FAILED(render->GetBuffer(frames, &data))) return;
    for (UINT32 i = 0; i < frames; ++i, ++written) {
      const double v = plan.Sounds(written) ? 0.5 * std::sin(6.283185307179586 * plan.hz * written / rate) : 0.0;
      for (int c = 0; c < channels; ++c) {
        const double sample = plan.channel < 0 || plan.channel == c ? v : 0.0;
        if (is_float)
          reinterpret_cast<float*>(data)[i * channels + c] = static_cast<float>(sample);
        else
          reinterpret_cast<int16_t*>(data)[i * channels + c] = static_cast<int16_t>(std::lround(sample * 32767));
      }
    }
    render->ReleaseBuffer(frames, 0);
  };
  fill();
  if (FAILED(client->Start())) return 1;
  running = true;
  last_look = seconds();
  std::printf("playing\n");
  std::fflush(stdout);

  // Where the pulses start at the monitor: pulse n at `phase` + n periods, pulse 0 the first
  // heard; each pulse heard moves the phase to the mean of the last few (the packets' jitter).
  const double period_seconds = plan.period / rate, tone_seconds = plan.tone / rate;
  const auto counter_seconds = [&] {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / counter_frequency.QuadPart;
  };
  std::deque<double> phases;
  double first_heard = 0, lag_sum = 0;
  int heard = 0;

  while (seconds() < plan.seconds) {
    fill();
    if (window) {
      double onset = 0;
      if (monitor.Heard(&onset) > 0) {
        if (!heard++) first_heard = onset;
        lag_sum += counter_seconds() - onset;
        phases.push_back(onset - std::round((onset - first_heard) / period_seconds) * period_seconds);
        if (phases.size() > 5) phases.pop_front();
      }
      bool white = false;
      if (!phases.empty()) {
        double phase = 0;
        for (const double p : phases) phase += p / static_cast<double>(phases.size());
        const double since = counter_seconds() - phase;
        const double pulse = std::floor(since / period_seconds);
        white = pulse >= 1 && since - pulse * period_seconds < tone_seconds;
      }
      if (white != g_bWhite) {
        g_bWhite = white;
        InvalidateRect(window, nullptr, TRUE);
        UpdateWindow(window);
        // A look for messages: Wine puts what a thread drew on the screen when the thread
        // waits for messages, else only every 50 ms.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
      }
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    Sleep(1);
  }
  client->Stop();
  std::printf("longest wait between looks at the output %.1f ms (at %.1f s); the output ran dry %d times",
              longest_wait * 1000, longest_wait_at, dry);
  if (dry) std::printf(", first at %.1f s", first_dry_at);
  std::printf("\n");
  if (window)
    std::printf("heard %d pulses, read %.1f ms after the monitor captured them on average\n", heard,
                heard ? lag_sum * 1000 / heard : 0.0);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (!(mode == L"list" && argc == 2) && !(mode == L"tone" && argc >= 3 && argc <= 5) &&
      !(mode == L"pulses" && (argc == 9 || argc == 10))) {
    std::fprintf(stderr,
                 "usage: tone_flash list | tone SECONDS [CHANNEL [HZ]] | "
                 "pulses SECONDS PERIOD_MS TONE_MS LEFT TOP WIDTH HEIGHT [HZ]\n");
    return 2;
  }
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  timeBeginPeriod(1);
  int status = 1;
  {
    ComPtr<IMMDeviceEnumerator> enumerator;
    if (SUCCEEDED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                                   enumerator.ReceiveVoid()))) {
      if (mode == L"list") {
        status = List(enumerator.get());
      } else {
        Plan plan;
        plan.seconds = _wtof(argv[2]);
        HWND window = nullptr;
        if (mode == L"tone") {
          if (argc >= 4) plan.channel = _wtoi(argv[3]);
          if (argc == 5) plan.hz = _wtof(argv[4]);
        } else {
          window = CreateFlashWindow(_wtoi(argv[5]), _wtoi(argv[6]), _wtoi(argv[7]), _wtoi(argv[8]));
          plan.period_ms = _wtof(argv[3]);
          plan.tone_ms = _wtof(argv[4]);
          if (argc == 10) plan.hz = _wtof(argv[9]);
        }
        status = Play(enumerator.get(), plan, window);
      }
    }
  }
  timeEndPeriod(1);
  CoUninitialize();
  return status;
}
