#pragma once
// The named event through which the capture devices inside the encoder learn that the
// recording is paused: set while paused, clear otherwise. Made at start-up and cleared then,
// because an encoder left over from a crash may still hold it set.
#include <windows.h>

class CapturePauseSignal {
 public:
  CapturePauseSignal();
  ~CapturePauseSignal();
  CapturePauseSignal(const CapturePauseSignal&) = delete;
  CapturePauseSignal& operator=(const CapturePauseSignal&) = delete;

  // False when the event could not be made: the devices cannot be told.
  bool SetPaused(bool paused);

 private:
  HANDLE m_hEvent;
};
