// Recorded time: a steady clock with the paused stretches of a recording taken out, so that
// whatever a device makes after a resume follows on at once from what it made before the
// pause, and the encoder, which stamps pictures by the graph's clock, sees no gap to fill
// with a frozen picture. The program says "paused" through a named event that every device
// of the encoder reads. No <windows.h> here.
#pragma once
#include <cstdint>

namespace capture {

// The event the program sets while the recording is paused and clears otherwise.
constexpr wchar_t kRecordingPausedEventName[] = L"Local\\QuorlinRecordingPaused";

class RecordedTime {
 public:
  // The recorded time at `now` (a steadily rising time, 100-ns units), with `paused` as the
  // program says it at that moment: stands still while paused, goes on from the same value
  // after a resume, and never goes back.
  int64_t At(int64_t now, bool paused);
  bool paused() const { return paused_; }

 private:
  bool paused_ = false;
  int64_t paused_since_ = 0;  // `now` when the current pause was first seen
  int64_t paused_total_ = 0;  // the length of every pause that has ended
  int64_t last_ = INT64_MIN;
};

}  // namespace capture
