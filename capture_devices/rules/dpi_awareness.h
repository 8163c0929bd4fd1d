// The DPI awareness the desktop device asks its thread for, best first: per-monitor v2
// (Windows 10 1703 and later), per-monitor (1607 has it for threads but refuses v2), then
// system-aware, which reads the screen in one scale's coordinates and so is the last resort
// where monitors have different scales. No <windows.h> here.
#pragma once

namespace capture {

enum class DpiAwareness { kPerMonitorV2, kPerMonitor, kSystem };

constexpr DpiAwareness kDpiAwarenessOrder[] = {DpiAwareness::kPerMonitorV2, DpiAwareness::kPerMonitor,
                                               DpiAwareness::kSystem};

// Asks `set` for each awareness in turn until one is taken; `set` returns something that
// converts to false when the system refused it (the thread's previous context, say). Returns
// what the accepted call returned, or that of the last refusal.
template <class Set>
auto SetBestDpiAwareness(Set set) -> decltype(set(DpiAwareness::kSystem)) {
  decltype(set(DpiAwareness::kSystem)) result{};
  for (DpiAwareness awareness : kDpiAwarenessOrder)
    if ((result = set(awareness))) break;
  return result;
}

}  // namespace capture
