#include "app/placeholder_bar_dlg.h"

#include "framework/win_app.h"

BOOL CPlaceholderBarDlg::OnInitDialog() {
  HICON icon = LoadIconW(CWinApp::Instance(), MAKEINTRESOURCEW(IDR_MAINFRAME));
  SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  return TRUE;
}
