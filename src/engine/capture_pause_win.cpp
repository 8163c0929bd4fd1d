#include "engine/capture_pause_win.h"

#include "capture_devices/rules/recorded_time.h"

CapturePauseSignal::CapturePauseSignal()
    : m_hEvent(CreateEventW(nullptr, TRUE, FALSE, capture::kRecordingPausedEventName)) {
  if (m_hEvent) ResetEvent(m_hEvent);
}

CapturePauseSignal::~CapturePauseSignal() {
  if (m_hEvent) CloseHandle(m_hEvent);
}

bool CapturePauseSignal::SetPaused(bool paused) {
  return m_hEvent && (paused ? SetEvent(m_hEvent) : ResetEvent(m_hEvent));
}
