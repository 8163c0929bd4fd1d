// The clock every device of the encoder goes by, and the graph's clock when it takes one of
// ours: the performance counter with the program's pauses taken out (see recorded_time.h).
#pragma once
#include <windows.h>

#include <strmif.h>

namespace capture {

struct RecordedMoment {
  REFERENCE_TIME time;     // 100-ns units
  REFERENCE_TIME counter;  // the performance counter, pauses and all, in 100-ns units
  bool paused;
};

// Safe on any thread.
RecordedMoment RecordedNow();

}  // namespace capture
