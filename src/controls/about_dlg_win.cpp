#include "controls/about_dlg_win.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <string>

#include "app/paths.h"
#include "framework/message_box.h"
#include "framework/message_map.h"
#include "res/resource.h"

namespace {
constexpr COLORREF kBackground = 0x585858;
constexpr COLORREF kGreen = 0x00FF00;
// The product's web page.
constexpr wchar_t kProductWebSite[] = L"https://quorlin.example.com/";
}  // namespace

AboutDlg::AboutDlg(HWND owner) : CDialog(IDD_ABOUT_DIALOG, owner) {}

bool AboutDlg::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  static const MessageMap<AboutDlg> map{{
                                            {WM_CTLCOLORDLG, &AboutDlg::OnCtlColor},
                                            {WM_CTLCOLORSTATIC, &AboutDlg::OnCtlColor},
                                            {WM_CTLCOLORBTN, &AboutDlg::OnCtlColor},
                                        },
                                        {
                                            {IDC_ABOUT_HELP, &AboutDlg::OnHelp},
                                            {IDC_ABOUT_WEB, &AboutDlg::OnWebSite},
                                        }};
  return map.Dispatch(this, message, wparam, lparam, result);
}

BOOL AboutDlg::OnInitDialog() {
  SetWindowTextW(GetDlgItem(IDC_ABOUT_VERSION), (L"版本号 " + LoadResourceString(IDS_VERSION)).c_str());
  return TRUE;
}

void AboutDlg::OnHelp() {
  // A missing manual is not an error worth a message: the button then does nothing.
  const std::wstring manual = GetProgramFolder() + L"manual\\index.html";
  if (!PathFileExistsW(manual.c_str())) return;
  ShellExecuteW(nullptr, L"open", L"explorer", manual.c_str(), nullptr, SW_SHOW);
}

void AboutDlg::OnWebSite() { ShellExecuteW(nullptr, L"open", L"explorer", kProductWebSite, nullptr, SW_SHOW); }

LRESULT AboutDlg::OnCtlColor(WPARAM dc, LPARAM) {
  SetTextColor(reinterpret_cast<HDC>(dc), kGreen);
  SetBkColor(reinterpret_cast<HDC>(dc), kBackground);
  return reinterpret_cast<LRESULT>(m_brBackground.Get());
}
