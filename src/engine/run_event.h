#pragma once
// One report of an encoder run, as posted to the control bar, and the report kinds. The
// bar keeps the kind of the last report as its run state: a run is active while it is
// RUN_STARTING or RUN_PROGRESS.
#include <cstdint>

enum RunEventKind : int32_t {
  RUN_STARTING = 1,  // the pipe exists; the process is about to be created
  RUN_PROGRESS = 2,  // the reader started (empty text) or found a progress time
  RUN_EXITED = 3,    // the process ended by itself; value = exit code as unsigned 32-bit
  RUN_STOPPED = 4,   // the process ended after a stop request
  RUN_FAILED = 10,   // the pipe or the process could not be created; value -1
};

struct RunEvent {
  int32_t kind;
  double value;
  char text[256];  // ANSI (code page 936), NUL-terminated, at most 255 bytes
};

// Private window messages that carry reports (wParam = the run, lParam = the report).
constexpr unsigned kWmEncoderEvent = 0x0400 + 101;  // WM_ENCODER_EVENT: recording or live run
constexpr unsigned kWmRemuxEvent = 0x0400 + 102;    // WM_REMUX_EVENT: the copy run
