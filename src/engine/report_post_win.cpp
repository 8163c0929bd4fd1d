#include <windows.h>

#include "engine/encoder_run.h"

bool PostReportToWindow(void* receiver, unsigned message, EncoderRun* run, RunEvent* report) {
  return PostMessageW(static_cast<HWND>(receiver), message, reinterpret_cast<WPARAM>(run),
                      reinterpret_cast<LPARAM>(report)) != FALSE;
}
