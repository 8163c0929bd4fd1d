// The desktop device works in the screen's own pixels whatever its host declares: in a
// program without a DPI-aware manifest (the encoder has none), Windows 8.1 and later would
// otherwise hand out scaled-down screen sizes and pointer positions while BitBlt copies
// physical pixels.
#pragma once
#include <windows.h>

namespace capture {

// Makes the calling thread DPI-aware through its awareness context on Windows 10 1607 and
// later: per-monitor v2 where the system has it, else per-monitor, else system-aware. On
// older systems, where only the whole process can be made aware, the process.
void MakeThreadDpiAware();

// For the host's thread that opens the device: aware while this lives, then back to what the
// host had (unless only the process could be made aware).
class ScopedThreadDpiAware {
 public:
  ScopedThreadDpiAware();
  ~ScopedThreadDpiAware();
  ScopedThreadDpiAware(const ScopedThreadDpiAware&) = delete;
  ScopedThreadDpiAware& operator=(const ScopedThreadDpiAware&) = delete;

 private:
  HANDLE m_hPrevious = nullptr;  // the host thread's awareness context
};

// The calling thread's awareness, for the device's figures: "per-monitor-v2", "per-monitor",
// "system" or "unaware".
const char* ThreadDpiAwarenessName();

}  // namespace capture
