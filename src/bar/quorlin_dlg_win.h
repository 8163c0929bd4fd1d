#pragma once
// The control bar: the program's main window. A skinned, always-on-top strip centred at the
// top edge of the screen, with the Start button, status line and LED of the recording
// workflow, and the receiver of the program's private messages.
#include <array>
#include <memory>
#include <string>

#include "bar/bar_rules.h"
#include "bar/dialog_utility_win.h"
#include "controls/dpi_scale.h"
#include "controls/dynamic_led_win.h"
#include "controls/hover_button_win.h"
#include "controls/label_win.h"
#include "engine/capture_pause_win.h"
#include "engine/encoder_run.h"
#include "engine/recording_workflow.h"
#include "devices/video_dlg1_win.h"  // WM_CAMERA_CLOSED
#include "framework/dialog.h"
#include "region/area_rect.h"
#include "vexhook/captured_key.h"  // WM_CAPTURED_KEY

// Private messages, all received by the bar (the two encoder reports are in run_event.h).
constexpr UINT WM_ENCODER_EVENT = kWmEncoderEvent;
constexpr UINT WM_REMUX_EVENT = kWmRemuxEvent;
constexpr UINT WM_AREA_CHANGED = kWmAreaChanged;

class CQuorlinDlg : public CDialog, public CDialogUtility, private RecordingBar {
 public:
  CQuorlinDlg();
  ~CQuorlinDlg() override;

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override {}  // Enter does not close the bar
  void OnCancel() override;
  bool PreTranslateMessage(MSG* msg) override;
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

 private:
  static constexpr UINT_PTR TIMER_SHOW_BAR = 10;
  static constexpr UINT_PTR TIMER_START_CHECK = 12;

  // Message handlers.
  LRESULT OnPaint(WPARAM, LPARAM);
  LRESULT OnQueryDragIcon(WPARAM, LPARAM);
  LRESULT OnEraseBackground(WPARAM, LPARAM);
  LRESULT OnLButtonDown(WPARAM, LPARAM);
  LRESULT OnTimer(WPARAM, LPARAM);
  LRESULT OnMouseMove(WPARAM, LPARAM);
  LRESULT OnRunReport(WPARAM, LPARAM);
  LRESULT OnCameraClosed(WPARAM, LPARAM);
  LRESULT OnAreaChanged(WPARAM, LPARAM);
  LRESULT OnCapturedKey(WPARAM, LPARAM);
  LRESULT OnDpiChanged(WPARAM, LPARAM);
  // Command handlers.
  void OnStart() { m_workflow.StartOrStopRecording(); }
  void OnStop() { m_workflow.StopRecording(); }
  void OnSetup();
  void OnCamera() { ToggleCamera(); }
  void OnOpenFolder();
  void OnAreaMode();
  void OnAbout();

  void ToggleCamera();
  void FinishInterruptedRecording();
  bool IsCameraShowing() const { return m_pCameraWindow && m_pCameraWindow->m_bShowing; }
  void SetStatusText(const std::wstring& text, bool error) override;
  void PlaceBarAtTop(int y);
  // The skin at the bar's scale: background, size and shape; the window keeps its place.
  void ApplySkin();
  void LoadButtonBitmaps();
  // Every control on its place of the skin at the bar's scale, the status text at its size.
  void LayOutControls();
  std::array<CHoverButton*, 8> Buttons();
  std::wstring SkinFile(const wchar_t* name) const;
  BarRect WindowRect() const;
  void EnableControl(HWND control, bool enable);

  // What the recording workflow asks of the bar.
  const SettingsRecord& Settings() override;
  std::tm LocalTime() override;
  int64_t FileSize(const std::wstring& path) override;
  void RemoveFile(const std::wstring& path) override;
  bool IsCompleteMediaFile(const std::wstring& path) override;
  bool StartEncoderRun(const std::string& command_line, unsigned notify_message) override;
  void RequestStop() override;
  void WriteRecordingNote(const std::wstring& recording_file, const std::wstring& final_file) override;
  void RemoveRecordingNote() override;
  void SetMixedMicrophone(const std::wstring& friendly_name) override;
  void ShowMessage(const std::wstring& text) override;
  void OpenSettingsDialog() override { OnSetup(); }
  void ConfigureLed(int32_t colour_code) override;
  void HoldSteady() override { m_ledState.HoldSteady(); }
  void SetStartButtonBitmap(const std::wstring& skin_file) override;
  void SetStartButtonToolTip(const std::wstring& text) override;
  void EnableStartButton(bool enable) override;
  void EnableAreaButton(bool enable) override;
  void SetAreaButtonLook(const std::wstring& skin_file, const std::wstring& tooltip) override;
  bool SetCapturePaused(bool paused) override { return m_pauseSignal.SetPaused(paused); }
  void RepaintStartButton() override;
  void SetFrameLocked(bool locked, uint32_t corner_colour) override;
  void SlideBar(bool hide) override;

  std::unique_ptr<EncoderRun> m_pRun;
  HICON m_hIcon = nullptr;
  CapturePauseSignal m_pauseSignal;
  RecordingWorkflow m_workflow{*this};
  CHoverButton m_btnStart;
  CHoverButton m_btnStop;
  CHoverButton m_btnCamera;
  CHoverButton m_btnSetup;
  CHoverButton m_btnClose;
  CHoverButton m_btnFiles;
  CHoverButton m_btnArea;
  CHoverButton m_btnAbout;
  CLabel m_lblStatus;
  CDynamicLED m_ledState;
  HMODULE m_hHotkeyLib = nullptr;
  int m_nDpi = kDesignDpi;                      // the scale the bar is laid out for
  std::unique_ptr<CVideoDlg1> m_pCameraWindow;  // made on the first use of the camera button
};
