// End-to-end recording through the encoder in the Windows folder and the capture devices
// (run by recording_e2e.sh, which installs them and checks the file with ffprobe): the
// program's own capture command (file mode, system sound, 640x360) records the virtual
// display for about four seconds, a stop request ends it ("q" to the encoder, which must quit
// by itself within the grace period), and the program's own copy command turns it into an MP4.
// A red window covers the top-left quarter of the screen meanwhile.
// Prints "mp4 <unix path>" and "seconds <first progress to stop request>".
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "app/paths.h"
#include "engine/command_line.h"
#include "engine/encoder_run.h"
#include "platform/text_codepage.h"
#include "platform/utf8.h"
#include "report_collector.h"

namespace {

using Clock = std::chrono::steady_clock;

int Fail(const char* what) {
  std::printf("FAILED: %s\n", what);
  return 1;
}

// The Unix path Wine gives a Windows path.
std::string UnixPath(const std::wstring& path) {
  using Convert = char*(CDECL*)(LPCWSTR);
  auto convert = reinterpret_cast<Convert>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (convert == nullptr) return platform::WideToUtf8(path);
  char* unix_path = convert(path.c_str());
  std::string result = unix_path ? unix_path : "";
  HeapFree(GetProcessHeap(), 0, unix_path);
  return result;
}

void ClearCaptureArea() {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\screen-capture-recorder\\", 0, nullptr, 0, KEY_READ | KEY_WRITE,
                      nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return;
  }
  for (const wchar_t* name : {L"start_x", L"start_y", L"capture_height", L"capture_width"}) {
    RegDeleteValueW(key, name);
  }
  RegCloseKey(key);
}

// Something to record: a red window over the top-left quarter of the screen.
HWND ShowRedWindow() {
  WNDCLASSW window_class = {};
  window_class.lpfnWndProc = DefWindowProcW;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.hbrBackground = CreateSolidBrush(RGB(255, 0, 0));
  window_class.lpszClassName = L"QuorlinRecordingTarget";
  RegisterClassW(&window_class);
  HWND window = CreateWindowExW(WS_EX_TOPMOST, window_class.lpszClassName, L"target", WS_POPUP | WS_VISIBLE, 0, 0,
                                GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, nullptr, nullptr,
                                window_class.hInstance, nullptr);
  UpdateWindow(window);
  return window;
}

}  // namespace

int main() {
  if (GetFileAttributesW((GetWindowsFolder() + L"quorlind.exe").c_str()) == INVALID_FILE_ATTRIBUTES) {
    return Fail("no quorlind.exe in the Windows folder");
  }
  ClearCaptureArea();  // the whole screen
  HWND target = ShowRedWindow();

  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"quorlin-e2e-" + std::to_wstring(GetTickCount()) + L"\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring recording = folder + L"20240305140709.ts";
  const std::wstring final_file = folder + L"20240305140709_rec.mp4";

  ReportCollector collector;
  EncoderRun capture;
  collector.Attach(&capture, kWmEncoderEvent);
  capture.command_line =
      BuildCaptureCommand(platform::WideToAnsi(recording), "virtual-audio-capturer", 25, 640, 360, 1000, 128, 0);
  std::printf("capture: %s\n", capture.command_line.c_str());
  if (!StartEncoderRun(&capture)) return Fail("launcher thread");

  Clock::time_point first_progress;
  for (bool seen = false; !seen;) {
    if (!collector.WaitForKind(RUN_PROGRESS, 20000)) return Fail("no progress from the encoder");
    for (const ReceivedReport& report : collector.Take()) {
      if (report.kind == RUN_PROGRESS && !report.text.empty() && !seen) {
        first_progress = Clock::now();
        seen = true;
        std::printf("first progress %s\n", report.text.c_str());
      }
      if (IsFinalReport(report.kind)) return Fail("the encoder ended before the stop");
    }
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(4000));
  const auto stop_request = Clock::now();
  RequestStop(&capture);
  auto reports = collector.WaitForFinal(30000);
  if (reports.empty() || reports.back().kind != RUN_STOPPED) return Fail("the capture run did not end stopped");
  const double stop_seconds = std::chrono::duration<double>(Clock::now() - stop_request).count();
  std::printf("stopped %.2f s after the request\n", stop_seconds);
  // Within the grace period: the encoder quit on "q" and was not terminated.
  if (stop_seconds * 1000 >= kQuitGraceMilliseconds) return Fail("the encoder did not quit when asked");

  EncoderRun copy;
  collector.Attach(&copy, kWmRemuxEvent);
  copy.command_line = BuildRemuxCommand(platform::WideToAnsi(recording), platform::WideToAnsi(final_file));
  std::printf("copy: %s\n", copy.command_line.c_str());
  if (!StartEncoderRun(&copy)) return Fail("launcher thread");
  reports = collector.WaitForFinal(30000);
  if (reports.empty() || reports.back().kind != RUN_EXITED || reports.back().value != 0.0) {
    return Fail("the copy run did not end with exit code 0");
  }

  DestroyWindow(target);
  std::printf("mp4 %s\n", UnixPath(final_file).c_str());
  std::printf("seconds %.3f\n", std::chrono::duration<double>(stop_request - first_progress).count());
  return 0;
}
