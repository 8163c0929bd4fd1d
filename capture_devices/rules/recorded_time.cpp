#include "capture_devices/rules/recorded_time.h"

namespace capture {

int64_t RecordedTime::At(int64_t now, bool paused) {
  if (paused && !paused_) paused_since_ = now;
  if (!paused && paused_ && now > paused_since_) paused_total_ += now - paused_since_;
  paused_ = paused;
  int64_t time = (paused_ ? paused_since_ : now) - paused_total_;
  // Two threads can read the underlying counter in one order and get here in the other.
  if (time < last_) time = last_;
  last_ = time;
  return time;
}

}  // namespace capture
