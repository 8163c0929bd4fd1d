#include "bar/quorlin_dlg_win.h"

#include <shellapi.h>

#include <array>
#include <ctime>

#include "app/init_dlg_win.h"
#include "app/paths.h"
#include "bar/bar_layout.h"
#include "bar/bar_rules.h"
#include "bar/hotkey_library_win.h"
#include "controls/about_dlg_win.h"
#include "engine/leftover_sweep_win.h"
#include "engine/media_file_check.h"
#include "engine/recording_note.h"
#include "framework/dpi_win.h"
#include "framework/message_box.h"
#include "framework/message_map.h"
#include "framework/win_app.h"
#include "platform/file_io.h"
#include "platform/text_codepage.h"
#include "region/region_windows_win.h"
#include "res/resource.h"
#include "settings/settings_store.h"
#include "settings/setup_dlg_win.h"

namespace {
constexpr COLORREF kStatusGreen = RGB(0, 255, 0);
constexpr COLORREF kStatusRed = RGB(255, 0, 0);

std::wstring RecordingNotePath() { return GetUserDataFolder() + L"recording.cfg"; }
}  // namespace

CQuorlinDlg::CQuorlinDlg() : CDialog(IDD_QUORLIN_DIALOG) {
  m_hIcon = LoadIconW(CWinApp::Instance(), MAKEINTRESOURCEW(IDR_MAINFRAME));
}

CQuorlinDlg::~CQuorlinDlg() {
  // A run still starting when the bar closes keeps its threads until the process ends a
  // moment later; they may still touch the run, so it is left to the process exit.
  if (m_workflow.IsRunActive()) static_cast<void>(m_pRun.release());
}

bool CQuorlinDlg::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  static const MessageMap<CQuorlinDlg> map{
      {
          {WM_PAINT, &CQuorlinDlg::OnPaint},
          {WM_QUERYDRAGICON, &CQuorlinDlg::OnQueryDragIcon},
          {WM_ERASEBKGND, &CQuorlinDlg::OnEraseBackground},
          {WM_LBUTTONDOWN, &CQuorlinDlg::OnLButtonDown},
          {WM_TIMER, &CQuorlinDlg::OnTimer},
          {WM_MOUSEMOVE, &CQuorlinDlg::OnMouseMove},
          {WM_ENCODER_EVENT, &CQuorlinDlg::OnRunReport},
          {WM_REMUX_EVENT, &CQuorlinDlg::OnRunReport},
          {WM_CAMERA_CLOSED, &CQuorlinDlg::OnCameraClosed},
          {WM_AREA_CHANGED, &CQuorlinDlg::OnAreaChanged},
          {WM_CAPTURED_KEY, &CQuorlinDlg::OnCapturedKey},
          {WM_DPICHANGED, &CQuorlinDlg::OnDpiChanged},
      },
      {
          {IDC_START, &CQuorlinDlg::OnStart},
          {IDC_STOP, &CQuorlinDlg::OnStop},
          {IDC_SETUP, &CQuorlinDlg::OnSetup},
          {IDC_CAMERA, &CQuorlinDlg::OnCamera},
          {IDC_FILES, &CQuorlinDlg::OnOpenFolder},
          {IDC_AREA, &CQuorlinDlg::OnAreaMode},
          {IDC_ABOUT, &CQuorlinDlg::OnAbout},
      }};
  // IDOK and IDCANCEL go to OnOK and OnCancel.
  if (message == WM_COMMAND && (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL)) return false;
  return map.Dispatch(this, message, wparam, lparam, result);
}

BOOL CQuorlinDlg::OnInitDialog() {
  // F8 works from here on, and the start-up check's modal loop delivers Start presses.
  m_workflow.HoldStartsForStartup(true);
  m_hHotkeyLib = LoadHotkeyLibrary(m_hWnd);

  m_btnStart.SubclassDlgItem(IDC_START, m_hWnd);
  m_btnStop.SubclassDlgItem(IDC_STOP, m_hWnd);
  m_btnCamera.SubclassDlgItem(IDC_CAMERA, m_hWnd);
  m_btnSetup.SubclassDlgItem(IDC_SETUP, m_hWnd);
  m_btnClose.SubclassDlgItem(IDCANCEL, m_hWnd);
  m_btnFiles.SubclassDlgItem(IDC_FILES, m_hWnd);
  m_btnArea.SubclassDlgItem(IDC_AREA, m_hWnd);
  m_btnAbout.SubclassDlgItem(IDC_ABOUT, m_hWnd);
  m_lblStatus.SubclassDlgItem(IDC_STATUS, m_hWnd);
  m_ledState.SubclassDlgItem(IDC_LED, m_hWnd);

  SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
  m_pRun.reset();

  // Laid out for the scale of the monitor the bar starts on, and again for each monitor it
  // is moved to (WM_DPICHANGED): the dialog manager's own rescaling would move the controls
  // off their places on the skin.
  KeepOwnLayoutOnDpiChange(m_hWnd);
  m_nDpi = UsableDpi(WindowDpi(m_hWnd));
  SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ApplySkin();
  for (CHoverButton* button : Buttons()) button->SetDpi(m_nDpi);
  LoadButtonBitmaps();

  m_lblStatus.SetBackground(RGB(0, 0, 0), RGB(0, 0, 0), false)
      .SetTextColour(kStatusGreen)
      .SetTransparentBackground(true)
      .SetLabelText(kFullScreenReadyText);

  LayOutControls();

  SweepLeftoverEncoder();
  m_ledState.ConfigureLed(GetDlgItem(IDC_LED), kLedGreen);
  m_ledState.HoldSteady();

  SetWindowTextW(m_hWnd, L"quorlwnd");  // the single-instance test looks for this title
  CreateRegionWindows(m_hWnd);
  HideRecordingFrame();
  ClearCaptureArea();
  SetAreaChosen(false);

  SetTimer(m_hWnd, TIMER_SHOW_BAR, 10, nullptr);
  return TRUE;
}

void CQuorlinDlg::ApplySkin() {
  LoadBackground();
  ScaleBackground(m_nDpi);
  SetWindowPos(m_hWnd, nullptr, 0, 0, m_nWidth, m_nHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // The shape is that of the skin as shown, magenta corners and all. The window owns the
  // region from here on.
  if (HRGN region = BitmapToRegion(m_bmBackground.Get())) SetWindowRgn(m_hWnd, region, TRUE);
}

std::array<CHoverButton*, 8> CQuorlinDlg::Buttons() {
  return {&m_btnStart, &m_btnStop, &m_btnCamera, &m_btnSetup, &m_btnClose, &m_btnFiles, &m_btnArea, &m_btnAbout};
}

void CQuorlinDlg::LayOutControls() {
  const auto scaled_place = [this](HWND control, BarRect& scaled) {
    BarRect place{};
    if (!BarControlPlaceAt96(GetDlgCtrlID(control), place)) return false;
    scaled = ScaleBarRect(place, m_nDpi);
    return true;
  };
  BarRect scaled{};
  for (CHoverButton* button : Buttons()) {
    // The strip gives the size.
    if (scaled_place(button->m_hWnd, scaled))
      SetWindowPos(button->m_hWnd, nullptr, scaled.left, scaled.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  for (HWND control : {m_ledState.m_hWnd, m_lblStatus.m_hWnd}) {
    if (scaled_place(control, scaled)) MoveWindow(control, scaled.left, scaled.top, scaled.Width(), scaled.Height(), TRUE);
  }
  RECT client;
  GetClientRect(m_hWnd, &client);
  RECT button;
  GetClientRect(m_btnClose.m_hWnd, &button);
  const BarRect place = CloseButtonPlace({client.left, client.top, client.right, client.bottom}, button.right,
                                         button.bottom, ScaleForDpi(4, m_nDpi));
  MoveWindow(m_btnClose.m_hWnd, place.left, place.top, place.Width(), place.Height(), TRUE);

  // Text is drawn at the scale's own font size, never stretched.
  LOGFONTW font = m_lblStatus.m_lf;
  font.lfHeight = FontHeightForDpi(kStatusFontPoints, m_nDpi);
  font.lfWidth = 0;
  m_lblStatus.SetLogFont(font);
  m_ledState.SetDpi(m_nDpi);
}

LRESULT CQuorlinDlg::OnDpiChanged(WPARAM wparam, LPARAM lparam) {
  const DpiChange change = ReadDpiChange(wparam, lparam);
  m_nDpi = UsableDpi(change.dpi);
  // The system suggests where the bar goes on the new monitor; its size is the skin's.
  if (lparam) {
    SetWindowPos(m_hWnd, nullptr, change.suggested.left, change.suggested.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ApplySkin();
  for (CHoverButton* button : Buttons()) button->SetDpi(m_nDpi);
  LayOutControls();
  RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  return 0;
}

std::wstring CQuorlinDlg::SkinFile(const wchar_t* name) const { return GetProgramFolder() + L"skin\\" + name; }

void CQuorlinDlg::LoadButtonBitmaps() {
  m_btnStart.LoadStripBitmap(SkinFile(L"start.bmp"));
  m_btnStop.LoadStripBitmap(SkinFile(L"stop.bmp"));
  m_btnCamera.LoadStripBitmap(SkinFile(L"cam.bmp"));
  m_btnSetup.LoadStripBitmap(SkinFile(L"setup.bmp"));
  m_btnClose.LoadStripBitmap(SkinFile(L"close.bmp"));
  m_btnFiles.LoadStripBitmap(SkinFile(L"files.bmp"));
  m_btnArea.LoadStripBitmap(SkinFile(L"area.bmp"));
  m_btnAbout.LoadStripBitmap(SkinFile(L"info.bmp"));
}

LRESULT CQuorlinDlg::OnPaint(WPARAM, LPARAM) {
  if (!IsIconic(m_hWnd)) {
    // The dialog's own painting: the background comes from WM_ERASEBKGND.
    PAINTSTRUCT ps;
    BeginPaint(m_hWnd, &ps);
    EndPaint(m_hWnd, &ps);
    return 0;
  }
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(m_hWnd, &ps);
  SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT rc;
  GetClientRect(m_hWnd, &rc);
  const int x = (rc.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (rc.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, m_hIcon);
  EndPaint(m_hWnd, &ps);
  return 0;
}

LRESULT CQuorlinDlg::OnQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(m_hIcon); }

LRESULT CQuorlinDlg::OnEraseBackground(WPARAM wparam, LPARAM) {
  RECT rc;
  GetClientRect(m_hWnd, &rc);
  if (DrawBackground(reinterpret_cast<HDC>(wparam), rc)) return TRUE;
  return DefWindowProcW(m_hWnd, WM_ERASEBKGND, wparam, 0);
}

LRESULT CQuorlinDlg::OnLButtonDown(WPARAM, LPARAM) {
  // A press anywhere on the background drags the bar.
  SendMessageW(m_hWnd, WM_NCLBUTTONDOWN, HTCAPTION, 0);
  return 0;
}

LRESULT CQuorlinDlg::OnTimer(WPARAM id, LPARAM) {
  if (id == TIMER_SHOW_BAR) {
    KillTimer(m_hWnd, TIMER_SHOW_BAR);
    PlaceBarAtTop(-200);
    ShowWindow(m_hWnd, SW_SHOW);
    SetTimer(m_hWnd, TIMER_START_CHECK, 50, nullptr);
  } else if (id == TIMER_START_CHECK) {
    KillTimer(m_hWnd, TIMER_START_CHECK);
    CInitDlg check;
    if (check.DoModal() == IDCANCEL) {
      EndDialog(IDCANCEL);
    } else {
      PlaceBarAtTop(0);
      m_workflow.HoldStartsForStartup(false);
      FinishInterruptedRecording();  // before any message can start a recording
    }
  }
  return 0;
}

BarRect CQuorlinDlg::WindowRect() const {
  RECT rc;
  GetWindowRect(m_hWnd, &rc);
  return {rc.left, rc.top, rc.right, rc.bottom};
}

bool CQuorlinDlg::PreTranslateMessage(MSG* msg) {
  if (ShouldHideBar(msg->pt.x, msg->pt.y, WindowRect(), m_workflow.IsRunActive())) SlideBar(true);
  return false;
}

LRESULT CQuorlinDlg::OnMouseMove(WPARAM, LPARAM) {
  if (ShouldShowBar(WindowRect(), m_workflow.IsRunActive())) SlideBar(false);
  return 0;
}

LRESULT CQuorlinDlg::OnRunReport(WPARAM, LPARAM lparam) {
  // The report is ours to release; handling it may replace the run that posted it.
  std::unique_ptr<RunEvent> report = AdoptRunEvent(static_cast<std::intptr_t>(lparam));
  if (report) m_workflow.HandleRunReport(*report);
  return 0;
}

LRESULT CQuorlinDlg::OnCameraClosed(WPARAM, LPARAM) {
  m_btnCamera.LoadStripBitmap(SkinFile(L"cam.bmp"));
  InvalidateRect(m_btnCamera.m_hWnd, nullptr, TRUE);
  return 0;
}

LRESULT CQuorlinDlg::OnAreaChanged(WPARAM area, LPARAM) {
  if (area == 0) SetStatusText(kFullScreenReadyText, false);
  return 0;
}

LRESULT CQuorlinDlg::OnCapturedKey(WPARAM key, LPARAM) {
  switch (ActionForCapturedKey(key)) {
    case CapturedKeyAction::kStartOrStop:
      m_workflow.StartOrStopRecording();
      break;
    case CapturedKeyAction::kToggleCamera:
      ToggleCamera();
      break;
    case CapturedKeyAction::kPauseOrResume:
      m_workflow.PauseOrResume();
      break;
    case CapturedKeyAction::kNone:
      break;
  }
  return 0;
}

void CQuorlinDlg::OnCancel() {
  if (!MayExit(m_workflow.RunState())) {
    ShowMessageBox(m_hWnd, kExitRefusedText);
    return;
  }
  ReleaseHotkeyLibrary(m_hHotkeyLib);
  m_hHotkeyLib = nullptr;
  if (IsCameraShowing()) m_pCameraWindow->CloseCamera();
  m_pCameraWindow.reset();
  Sleep(50);
  EndDialog(IDCANCEL);
}

void CQuorlinDlg::OnSetup() {
  if (m_workflow.IsRunActive()) return;
  if (IsCameraShowing()) m_pCameraWindow->CloseCamera();
  Sleep(200);
  SetupDlg setup(m_hWnd);
  setup.DoModal();
  SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
}

void CQuorlinDlg::ToggleCamera() {
  if (!m_pCameraWindow) {
    m_pCameraWindow = std::make_unique<CVideoDlg1>(m_hWnd);
    if (!m_pCameraWindow->Create()) {
      m_pCameraWindow.reset();
      return;
    }
  }
  if (m_pCameraWindow->m_bShowing) {
    m_pCameraWindow->CloseCamera();
    return;
  }
  const SettingsRecord* settings = LoadSettings();
  const std::string camera = FieldText(settings->camera_name);
  if (camera.empty()) {
    ShowMessage(L"没有配置摄像头！\r\n请通过设置功能设置要使用的设备。");
    return;
  }
  m_btnCamera.LoadStripBitmap(SkinFile(L"camed.bmp"));
  InvalidateRect(m_btnCamera.m_hWnd, nullptr, TRUE);
  m_pCameraWindow->SetCamera(platform::AnsiToWide(camera), settings->camera_width, settings->camera_height);
  m_pCameraWindow->OpenCamera();
}

void CQuorlinDlg::FinishInterruptedRecording() {
  // Only one program runs at a time (the bar's title is already set), and its leftover
  // encoder has been ended: the noted recording is no longer being written.
  std::vector<unsigned char> bytes;
  if (!platform::ReadFilePrefix(RecordingNotePath(), kMaxRecordingNoteBytes + 1, bytes)) return;
  const std::optional<RecordingNote> note = ParseRecordingNote(std::string(bytes.begin(), bytes.end()));
  if (!note) {
    RemoveRecordingNote();  // damaged: names nothing that can be trusted
    return;
  }
  m_workflow.FinishInterruptedRecording(note->recording_file, note->final_file);
}

void CQuorlinDlg::OnOpenFolder() {
  const std::wstring folder = platform::AnsiToWide(FieldText(LoadSettings()->output_folder));
  if (folder.empty()) return;
  ShellExecuteW(nullptr, L"open", L"explorer", folder.c_str(), nullptr, SW_SHOW);
}

void CQuorlinDlg::OnAreaMode() {
  // During a file recording the button pauses and resumes it.
  if (m_workflow.AreaButtonPauses()) {
    m_workflow.PauseOrResume();
    return;
  }
  HideRecordingFrame();
  ClearCaptureArea();
  const AreaModeStep step = AreaModeAfterPress(IsAreaChosen());
  SetAreaChosen(false);
  if (step.show_overlay) ShowRegionOverlay();
  SetStatusText(step.status, false);
}

void CQuorlinDlg::OnAbout() {
  AboutDlg about(m_hWnd);
  about.DoModal();
}

void CQuorlinDlg::SetStatusText(const std::wstring& text, bool error) {
  m_lblStatus.SetTextColour(error ? kStatusRed : kStatusGreen);
  m_lblStatus.SetLabelText(text);
}

void CQuorlinDlg::PlaceBarAtTop(int y) {
  const BarRect window = WindowRect();
  const int x = CentredBarLeft(GetSystemMetrics(SM_CXSCREEN), window.Width());
  SetWindowPos(m_hWnd, HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE);
}

void CQuorlinDlg::SlideBar(bool hide) {
  const BarRect window = WindowRect();
  const std::vector<int32_t> tops = PlanSlide(window, hide, LoadSettings()->hide_after_start, m_workflow.IsRemuxing());
  for (size_t i = 0; i < tops.size(); ++i) {
    SetWindowPos(m_hWnd, HWND_TOPMOST, window.left, tops[i], window.Width(), window.Height(), SWP_NOSIZE);
    if (i + 1 < tops.size()) Sleep(kSlideStepPauseMs);
  }
}

// What the recording workflow asks of the bar.

const SettingsRecord& CQuorlinDlg::Settings() { return *LoadSettings(); }

std::tm CQuorlinDlg::LocalTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local = {};
  localtime_s(&local, &now);
  return local;
}

int64_t CQuorlinDlg::FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void CQuorlinDlg::RemoveFile(const std::wstring& path) { DeleteFileW(path.c_str()); }

bool CQuorlinDlg::IsCompleteMediaFile(const std::wstring& path) { return ::IsCompleteMediaFile(path); }

bool CQuorlinDlg::StartEncoderRun(const std::string& command_line, unsigned notify_message) {
  // Called only while no run is active: the previous run's threads are done with it.
  m_pRun = std::make_unique<EncoderRun>();
  m_pRun->command_line = command_line;
  // The copy the start-up check found in the Windows folder, never one planted in the current
  // folder or beside the program; the command line still names it "quorlind.exe".
  m_pRun->program = GetWindowsFolder() + L"quorlind.exe";
  m_pRun->notify_message = notify_message;
  m_pRun->notify_window = m_hWnd;
  return ::StartEncoderRun(m_pRun.get());
}

void CQuorlinDlg::RequestStop() {
  if (m_pRun) ::RequestStop(m_pRun.get());
}

void CQuorlinDlg::WriteRecordingNote(const std::wstring& recording_file, const std::wstring& final_file) {
  const std::string note = FormatRecordingNote({recording_file, final_file});
  platform::WriteWholeFile(RecordingNotePath(), std::vector<unsigned char>(note.begin(), note.end()));
}

void CQuorlinDlg::RemoveRecordingNote() { DeleteFileW(RecordingNotePath().c_str()); }

void CQuorlinDlg::SetMixedMicrophone(const std::wstring& friendly_name) { WriteMixedMicrophone(friendly_name); }

void CQuorlinDlg::ShowMessage(const std::wstring& text) { ShowMessageBox(m_hWnd, text); }

void CQuorlinDlg::ConfigureLed(int32_t colour_code) { m_ledState.ConfigureLed(GetDlgItem(IDC_LED), colour_code); }

void CQuorlinDlg::SetStartButtonBitmap(const std::wstring& skin_file) {
  m_btnStart.LoadStripBitmap(GetProgramFolder() + skin_file);
}

void CQuorlinDlg::SetStartButtonToolTip(const std::wstring& text) { m_btnStart.SetToolTipText(text.c_str()); }

void CQuorlinDlg::EnableStartButton(bool enable) { EnableControl(m_btnStart.m_hWnd, enable); }

void CQuorlinDlg::EnableAreaButton(bool enable) { EnableControl(m_btnArea.m_hWnd, enable); }

void CQuorlinDlg::SetAreaButtonLook(const std::wstring& skin_file, const std::wstring& tooltip) {
  m_btnArea.LoadStripBitmap(GetProgramFolder() + skin_file);
  m_btnArea.SetToolTipText(tooltip.c_str());
  InvalidateRect(m_btnArea.m_hWnd, nullptr, TRUE);
}

void CQuorlinDlg::EnableControl(HWND control, bool enable) {
  // Disabling the control that has the keyboard focus would leave the bar without one, and
  // keys would then reach it only as system keys: Escape would no longer close it. The focus
  // moves on to the next enabled control first, as the dialog manager moves it for Tab.
  if (!enable && GetFocus() == control) SendMessageW(m_hWnd, WM_NEXTDLGCTL, 0, FALSE);
  EnableWindow(control, enable);
}

void CQuorlinDlg::RepaintStartButton() { InvalidateRect(m_btnStart.m_hWnd, nullptr, TRUE); }

void CQuorlinDlg::SetFrameLocked(bool locked, uint32_t corner_colour) {
  SetRecordingFrameLocked(locked, static_cast<COLORREF>(corner_colour));
}
