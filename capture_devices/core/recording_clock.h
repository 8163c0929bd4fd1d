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

// While one lives on a thread, our clock read on that thread tells `time` instead of now. The
// encoder stamps a picture with the clock's time when the picture reaches it; the streaming
// thread holds one around that hand-over, so the picture is stamped with its slot on the
// schedule, where its read began, not with when the read (15 to 75 ms, by the machine and the
// screen) ended.
class ClockShowsFrameTime {
 public:
  explicit ClockShowsFrameTime(REFERENCE_TIME time);
  ~ClockShowsFrameTime();
  ClockShowsFrameTime(const ClockShowsFrameTime&) = delete;
  ClockShowsFrameTime& operator=(const ClockShowsFrameTime&) = delete;
};

// The time our clock tells on this thread: the frame time while one is shown, else now.
REFERENCE_TIME ClockTimeOnThisThread();

}  // namespace capture
