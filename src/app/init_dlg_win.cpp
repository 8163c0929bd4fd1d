#include "app/init_dlg_win.h"

#include <io.h>

#include "app/paths.h"
#include "app/startup_check_steps.h"
#include "devices/device_list_win.h"
#include "framework/message_map.h"
#include "platform/text_codepage.h"
#include "res/resource.h"

namespace {
constexpr COLORREF kBackground = 0x585858;
constexpr COLORREF kGreen = 0x00FF00;
constexpr COLORREF kRed = 0x0000FF;

// Ticks handled so far; the check runs once per process.
int s_nCheckStep = 0;
}  // namespace

CInitDlg::CInitDlg() : CDialog(IDD_INIT_DIALOG) {}

bool CInitDlg::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  static const MessageMap<CInitDlg> map{{
      {WM_TIMER, &CInitDlg::OnTimer},
      {WM_CTLCOLORDLG, &CInitDlg::OnCtlColor},
      {WM_CTLCOLORSTATIC, &CInitDlg::OnCtlColor},
      {WM_CTLCOLORBTN, &CInitDlg::OnCtlColor},
  }};
  return map.Dispatch(this, message, wparam, lparam, result);
}

BOOL CInitDlg::OnInitDialog() {
  m_bCheckPassed = FALSE;
  m_bCheckFailed = FALSE;
  SetTimer(m_hWnd, TIMER_CHECK_STEP, 100, nullptr);
  return TRUE;
}

void CInitDlg::AppendCheckLog(const std::wstring& text, const std::wstring& suffix) {
  HWND log = GetDlgItem(IDC_CHECK_LOG);
  std::wstring all(static_cast<size_t>(GetWindowTextLengthW(log)) + 1, L'\0');
  all.resize(static_cast<size_t>(GetWindowTextW(log, all.data(), static_cast<int>(all.size()))));
  SetWindowTextW(log, (all + text + suffix).c_str());
}

bool CInitDlg::IsEncoderInstalled() {
  // The encoder is started by its bare name, so it has to be in the Windows folder.
  const std::wstring windows = GetWindowsFolder();
  if (windows.empty()) return false;
  const std::string path = platform::WideToAnsi(windows + L"quorlind.exe");
  return !path.empty() && _access(path.c_str(), 0) == 0;
}

bool CInitDlg::CheckCaptureDevices() {
  // All of each category: a machine with many devices before ours still passes.
  return CaptureDevicesComplete(devices::ListAllDeviceNames(CLSID_AudioInputDeviceCategory),
                                devices::ListAllDeviceNames(CLSID_VideoInputDeviceCategory));
}

LRESULT CInitDlg::OnTimer(WPARAM id, LPARAM) {
  if (id != TIMER_CHECK_STEP) return 0;
  KillTimer(m_hWnd, TIMER_CHECK_STEP);
  const DWORD started = GetTickCount();
  const CheckTickPlan plan = PlanCheckTick(++s_nCheckStep, IsEncoderInstalled, CheckCaptureDevices);
  // Listing the devices can take seconds; the next tick keeps its time from this one.
  const DWORD spent = GetTickCount() - started;
  if (plan.failed) m_bCheckFailed = TRUE;
  if (plan.passed) m_bCheckPassed = TRUE;
  for (const CheckLogEntry& entry : plan.log) AppendCheckLog(entry.text, entry.suffix);
  if (plan.failed) ShowWindow(GetDlgItem(IDOK), SW_SHOW);
  if (plan.next_tick_ms > 0) {
    const DWORD delay = static_cast<DWORD>(plan.next_tick_ms);
    SetTimer(m_hWnd, TIMER_CHECK_STEP, delay > spent ? delay - spent : USER_TIMER_MINIMUM, nullptr);
  }
  if (plan.end_dialog) CDialog::OnOK();
  return 0;
}

void CInitDlg::OnOK() {
  // Enter reaches the hidden default button too: only the shown button, after a failure,
  // ends the check this way (a passed check ends itself on its last tick).
  if (!IsWindowVisible(GetDlgItem(IDOK))) return;
  EndDialog(m_bCheckPassed ? IDOK : IDCANCEL);
}

LRESULT CInitDlg::OnCtlColor(WPARAM dc, LPARAM) {
  SetTextColor(reinterpret_cast<HDC>(dc), m_bCheckFailed ? kRed : kGreen);
  SetBkColor(reinterpret_cast<HDC>(dc), kBackground);
  return reinterpret_cast<LRESULT>(m_brBackground.Get());
}
