// Pausing a file recording. The devices in the encoder make nothing while paused and then go
// on as if the pause never was, so the file holds the recorded stretches back to back; the
// bar shows the pause, with the time it came at, on the area-mode button and the status line.
#include "engine/recording_workflow.h"
#include "platform/text_codepage.h"

namespace {

const wchar_t kAreaBitmap[] = L"skin\\area.bmp";
const wchar_t kPauseBitmap[] = L"skin\\pause.bmp";
const wchar_t kResumeBitmap[] = L"skin\\resume.bmp";

}  // namespace

void RecordingWorkflow::PauseOrResume() {
  // Only once the encoder records: before that there is nothing to pause.
  if (!AreaButtonPauses() || m_nRunState != RUN_PROGRESS) return;
  if (!bar_.SetCapturePaused(!m_bPaused)) return;  // the bar never shows a pause that is not one
  m_bPaused = !m_bPaused;
  bar_.ConfigureLed(kLedGreen);
  const std::wstring time = platform::AnsiToWide(m_strLastTime);
  if (m_bPaused) {
    bar_.HoldSteady();
    bar_.SetStatusText(L"已暂停 " + time, false);
  } else {
    bar_.SetStatusText(L"正在录制 " + time, false);
  }
  ShowAreaButtonLook();
}

void RecordingWorkflow::ShowAreaButtonLook() {
  if (!AreaButtonPauses())
    bar_.SetAreaButtonLook(kAreaBitmap, L"");
  else if (m_bPaused)
    bar_.SetAreaButtonLook(kResumeBitmap, L"继续录制");
  else
    bar_.SetAreaButtonLook(kPauseBitmap, L"暂停录制");
}

void RecordingWorkflow::EndPause() {
  if (!m_bPaused) return;
  m_bPaused = false;
  bar_.SetCapturePaused(false);
}
