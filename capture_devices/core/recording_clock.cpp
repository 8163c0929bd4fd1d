#include "capture_devices/core/recording_clock.h"

#include "capture_devices/rules/recorded_time.h"

namespace capture {
namespace {

REFERENCE_TIME CounterNow() {
  static const LONGLONG frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f.QuadPart;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart / frequency * 10000000 + now.QuadPart % frequency * 10000000 / frequency;
}

// Open for the life of the process; null when no program made it (never paused then).
HANDLE PausedEvent() {
  static const HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, kRecordingPausedEventName);
  return event;
}

SRWLOCK g_lock = SRWLOCK_INIT;
RecordedTime g_recorded;  // under g_lock

thread_local bool t_showing_frame = false;
thread_local REFERENCE_TIME t_frame_time = 0;

}  // namespace

RecordedMoment RecordedNow() {
  const HANDLE event = PausedEvent();
  const bool paused = event && WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
  AcquireSRWLockExclusive(&g_lock);
  const REFERENCE_TIME counter = CounterNow();
  const REFERENCE_TIME time = g_recorded.At(counter, paused);
  ReleaseSRWLockExclusive(&g_lock);
  return {time, counter, paused};
}

ClockShowsFrameTime::ClockShowsFrameTime(REFERENCE_TIME time) {
  t_frame_time = time;
  t_showing_frame = true;
}

ClockShowsFrameTime::~ClockShowsFrameTime() { t_showing_frame = false; }

REFERENCE_TIME ClockTimeOnThisThread() { return t_showing_frame ? t_frame_time : RecordedNow().time; }

}  // namespace capture
