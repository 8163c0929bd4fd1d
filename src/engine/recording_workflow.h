#pragma once
// The recording workflow behind the Start button: the checks before a start, the file
// names, the recording or live run, the stop, the copy of the transport stream into the
// final file, and what the bar shows for every report of a run. It decides; the control bar
// carries out through `RecordingBar`. User-interface thread only.
#include <cstdint>
#include <ctime>
#include <string>

#include "controls/led_blink.h"  // the LED colour codes
#include "engine/run_event.h"
#include "settings/settings_record.h"

// Corner squares of the recording frame, as the window system stores colours (0x00BBGGRR):
// grey while it is locked, red while it is free.
constexpr uint32_t kFrameCornerLocked = 0x808080;  // RGB(128, 128, 128)
constexpr uint32_t kFrameCornerFree = 0x0000FF;    // RGB(255, 0, 0)

// What the workflow needs from the control bar.
class RecordingBar {
 public:
  virtual ~RecordingBar() = default;

  virtual const SettingsRecord& Settings() = 0;
  virtual std::tm LocalTime() = 0;
  // Size in bytes, or -1 when there is no such file.
  virtual int64_t FileSize(const std::wstring& path) = 0;
  virtual void RemoveFile(const std::wstring& path) = 0;
  // True when the file is a whole MP4 or transport stream, not one cut short.
  virtual bool IsCompleteMediaFile(const std::wstring& path) = 0;

  // Replaces the bar's encoder run with a new one for this command line, reporting with
  // this message number, and starts its launcher. False when the launcher could not start.
  virtual bool StartEncoderRun(const std::string& command_line, unsigned notify_message) = 0;
  // Asks the current run, if there is one, to stop.
  virtual void RequestStop() = 0;

  // The note of the recording in progress, beside the settings file: written when a
  // recording starts, removed once how it ended has been shown. Write failures are ignored.
  virtual void WriteRecordingNote(const std::wstring& recording_file, const std::wstring& final_file) = 0;
  virtual void RemoveRecordingNote() = 0;
  // Tells the system sound device which microphone to mix into the recording about to start,
  // by its friendly name; empty: none, so that it opens no microphone. Failures are ignored.
  virtual void SetMixedMicrophone(const std::wstring& friendly_name) = 0;

  virtual void ShowMessage(const std::wstring& text) = 0;
  virtual void OpenSettingsDialog() = 0;
  virtual void SetStatusText(const std::wstring& text, bool error) = 0;
  virtual void ConfigureLed(int32_t colour_code) = 0;  // lights the LED, blinking
  virtual void HoldSteady() = 0;                       // keeps the LED's current shade
  // skin_file is relative to the program folder, e.g. "skin\\stop.bmp".
  virtual void SetStartButtonBitmap(const std::wstring& skin_file) = 0;
  virtual void SetStartButtonToolTip(const std::wstring& text) = 0;
  virtual void EnableStartButton(bool enable) = 0;
  virtual void EnableAreaButton(bool enable) = 0;
  // The area-mode button's bitmap (relative to the program folder) and tooltip (empty: none);
  // it pauses and resumes during a file recording.
  virtual void SetAreaButtonLook(const std::wstring& skin_file, const std::wstring& tooltip) = 0;
  // Tells the capture devices in the encoder that the recording is paused, or goes on; false
  // when they cannot be told.
  virtual bool SetCapturePaused(bool paused) = 0;
  virtual void RepaintStartButton() = 0;
  // Locks or frees the recording frame and redraws it with this corner colour.
  virtual void SetFrameLocked(bool locked, uint32_t corner_colour) = 0;
  virtual void SlideBar(bool hide) = 0;
};

// The local time as "%Y%m%d%H%M%S"; empty when it cannot be formatted.
std::string MakeTimestampName(const std::tm& time);
// The status text for an ending report that carries no text of its own.
std::wstring FallbackStatusText(int32_t kind);

class RecordingWorkflow {
 public:
  explicit RecordingWorkflow(RecordingBar& bar) : bar_(bar) {}
  RecordingWorkflow(const RecordingWorkflow&) = delete;
  RecordingWorkflow& operator=(const RecordingWorkflow&) = delete;

  // Start button and F8: starts a run when none is active, asks it to stop otherwise; does
  // nothing while the start-up is held.
  void StartOrStopRecording();
  // From the bar's creation until the start-up check has ended and a note left by an earlier
  // run has been dealt with, nothing may start a recording (its note would be taken for the
  // earlier one's).
  void HoldStartsForStartup(bool hold) { m_bStartupHeld = hold; }
  // Hidden Stop button: asks the current run to stop, whatever the state.
  void StopRecording();
  // F7 and the area-mode button while a file recording runs: pauses it, or lets it go on.
  // Nothing otherwise (idle, starting, copying, a live stream, sound from a microphone).
  void PauseOrResume();
  // A report posted by a run: becomes the run state, then the bar reacts to it.
  void HandleRunReport(const RunEvent& event);
  // At start-up, for a note left by a run that never ended: copies that recording into its
  // final file as a stop would have, and tells the user how that went. A recording that is
  // missing or empty is left as it is and named in the message, unless its whole final file
  // is already there. The note stays while the recording is kept and no whole final file is,
  // so that the next start tries again. Does nothing while a run is active.
  void FinishInterruptedRecording(const std::wstring& recording_file, const std::wstring& final_file);
  // The bar's reaction to one report; value is the exit code of RUN_EXITED.
  void ApplyRunEvent(int32_t kind, const std::string& text, double value = 0.0);

  // The kind of the last report handled; RUN_STOPPED before the first run.
  int32_t RunState() const { return m_nRunState; }
  bool IsRunActive() const { return m_nRunState == RUN_STARTING || m_nRunState == RUN_PROGRESS; }
  bool IsRemuxing() const { return m_bRemuxing; }
  bool IsLive() const { return m_bLive; }
  bool IsPaused() const { return m_bPaused; }
  // The area-mode button is the pause button now.
  bool AreaButtonPauses() const { return m_bPausable && !m_bRemuxing && IsRunActive(); }
  const std::wstring& RecordingFile() const { return m_strRecordingFile; }
  const std::wstring& FinalFile() const { return m_strFinalFile; }

 private:
  void ApplyRunStart();
  // The area-mode button as the state has it: area, pause or resume.
  void ShowAreaButtonLook();
  // Lets the devices go on, so that the encoder takes its stop or ends with everything.
  void EndPause();
  // Returns a message to show once the bar shows the end of the run, or empty.
  std::wstring ApplyRunEnd(int32_t kind, const std::string& text, double value);
  void StartRemux();
  void StartRun(const std::string& command_line, unsigned notify_message);
  std::wstring FinishRemux(double exit_code, const std::wstring& stopped);
  bool CopyIsWhole(double exit_code);
  std::wstring RecordingKeptNotice();
  std::wstring InterruptedRecordingNotice(bool finished) const;
  // The end of the copy of an interrupted recording: what the user is told, and whether the
  // note can go.
  std::wstring EndInterruptedCopy(bool copy_whole);
  // False (and nothing chosen) when the time stamp and every suffix up to "_99" are taken.
  bool ChooseFileNames(const SettingsRecord& settings);
  std::wstring Word() const;  // the status texts' word: recording or live

  RecordingBar& bar_;
  int32_t m_nRunState = RUN_STOPPED;
  std::wstring m_strRecordingFile;
  std::wstring m_strFinalFile;
  std::wstring m_strLastBase;  // names of the last recording, never given out twice
  bool m_bRemuxing = false;
  bool m_bLive = false;
  bool m_bInterrupted = false;  // the copy finishes a recording of an earlier run
  bool m_bStartupHeld = false;
  std::string m_strLastTime;  // the last progress time of the current run, ANSI
  // A file recording whose devices are all ours, which can therefore pause; and paused now.
  bool m_bPausable = false;
  bool m_bPaused = false;
};
