#include "engine/encoder_run.h"

// No window system here: reports reach a receiver only through a poster the caller sets.
bool PostReportToWindow(void* /*receiver*/, unsigned /*message*/, EncoderRun* /*run*/, RunEvent* /*report*/) {
  return false;
}
