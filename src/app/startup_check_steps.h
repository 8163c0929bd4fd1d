#pragma once
// The start-up check's steps, one per timer tick: what each tick adds to the log and what
// comes next. The dialog supplies the two installation tests and carries out the plan.
#include <functional>
#include <string>
#include <vector>

struct CheckLogEntry {
  std::wstring text;
  std::wstring suffix;
};

struct CheckTickPlan {
  std::vector<CheckLogEntry> log;  // appended in order
  int next_tick_ms = 0;            // 0: no further tick
  bool failed = false;             // the log turns red and the OK button appears
  bool passed = false;             // OK may now end the check with success
  bool end_dialog = false;         // the check is over and has passed
};

// `step` counts the ticks from 1. The device test runs only when the encoder is present.
CheckTickPlan PlanCheckTick(int step, const std::function<bool()>& encoder_present,
                            const std::function<bool()>& devices_present);

// True when one of `names` contains `device` (case-sensitive); the first match decides.
bool HasDeviceNamed(const std::vector<std::wstring>& names, const std::wstring& device);

// Both capture devices the encoder reads are installed.
bool CaptureDevicesComplete(const std::vector<std::wstring>& audio_names, const std::vector<std::wstring>& video_names);
