// Paces a live source: frame n is due n intervals after the start. A source that falls
// behind skips the slots already past instead of queueing them, so a slow capture costs
// frames, never a growing delay. No <windows.h> here.
#pragma once
#include <cstdint>

namespace capture {

class FrameSchedule {
 public:
  explicit FrameSchedule(int64_t interval) : interval_(interval > 0 ? interval : 1) {}

  // When the next frame is due, counted from the start, in the caller's time unit.
  int64_t DueTime() const { return next_ * interval_; }
  int64_t NextIndex() const { return next_; }
  int64_t interval() const { return interval_; }

  // Moves past the slots that a whole interval or more has gone by since, at time `now`;
  // returns how many were skipped (the frames dropped).
  int64_t SkipLateSlots(int64_t now) {
    const int64_t late = now - DueTime();
    if (late < interval_) return 0;
    const int64_t skipped = late / interval_;
    next_ += skipped;
    return skipped;
  }

  // Sound, which makes up every chunk it owes after a short hold-up: a clock that has jumped
  // ahead by more than `jump` at time `now` (a machine that slept, whose performance counter
  // went on counting) starts the schedule again from now. The chunks of the gap are skipped,
  // their time left as a gap in the stamps; returns how many.
  int64_t RestartAfterClockJump(int64_t now, int64_t jump) { return now - DueTime() > jump ? SkipLateSlots(now) : 0; }

  void Advance() { ++next_; }

 private:
  int64_t interval_;
  int64_t next_ = 0;
};

}  // namespace capture
