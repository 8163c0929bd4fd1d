#include "framework/dialog.h"

#include <algorithm>

#include "framework/subclass_wnd.h"
#include "framework/win_app.h"

CDialog::~CDialog() {
  if (m_hWnd) {
    // The window outlives no object: detach first so no message reaches a dead object.
    SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
    DestroyWindow(m_hWnd);
  }
}

HWND CDialog::CreateFromTemplate() {
  return CreateDialogParamW(CWinApp::Instance(), MAKEINTRESOURCEW(m_nTemplateId), m_hParent, DialogProc,
                            reinterpret_cast<LPARAM>(this));
}

std::vector<HWND> CDialog::s_modeless;

bool CDialog::Create() {
  m_bModal = false;
  if (!CreateFromTemplate()) return false;
  s_modeless.push_back(m_hWnd);
  return true;
}

bool CDialog::IsModelessDialogMessage(MSG* msg) {
  for (HWND dialog : s_modeless)
    if ((msg->hwnd == dialog || IsChild(dialog, msg->hwnd)) && IsDialogMessageW(dialog, msg)) return true;
  return false;
}

INT_PTR CDialog::DoModal() {
  m_bModal = true;
  m_bContinueModal = true;
  m_nModalResult = -1;
  if (!CreateFromTemplate()) return -1;
  // OnInitDialog may already have ended the dialog.
  const bool parent_enabled = m_hParent && IsWindowEnabled(m_hParent);
  if (parent_enabled) EnableWindow(m_hParent, FALSE);

  bool shown = false;
  MSG msg;
  while (m_bContinueModal && m_hWnd) {
    // Shown once the queue first runs dry, after the dialog has set itself up.
    if (!shown && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      ShowWindow(m_hWnd, SW_SHOWNORMAL);
      UpdateWindow(m_hWnd);
      shown = true;
    }
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) break;
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // leave WM_QUIT for the outer loop
      break;
    }
    if (CSubclassWnd::PreTranslateFor(&msg) || PreTranslateMessage(&msg) || IsDialogMessageW(m_hWnd, &msg) ||
        IsModelessDialogMessage(&msg))
      continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }

  // Re-enable the owner before the dialog goes, so that activation returns to it.
  if (parent_enabled) EnableWindow(m_hParent, TRUE);
  if (m_hWnd) {
    HWND hwnd = m_hWnd;
    DestroyWindow(hwnd);
  }
  m_bModal = false;
  return m_nModalResult;
}

void CDialog::EndDialog(INT_PTR result) {
  m_nModalResult = result;
  if (m_bModal) {
    m_bContinueModal = false;
    if (m_hWnd) PostMessageW(m_hWnd, WM_NULL, 0, 0);  // wake the loop
  } else if (m_hWnd) {
    DestroyWindow(m_hWnd);
  }
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  CDialog* self;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<CDialog*>(lparam);
    self->m_hWnd = hwnd;
    SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<CDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  }
  if (!self) return FALSE;
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    s_modeless.erase(std::remove(s_modeless.begin(), s_modeless.end(), hwnd), s_modeless.end());
    self->m_hWnd = nullptr;
    return FALSE;
  }
  return self->HandleMessage(message, wparam, lparam);
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) return OnInitDialog();
  LRESULT result = 0;
  if (OnMessage(message, wparam, lparam, result)) {
    switch (message) {
      // These answer through the dialog procedure's own return value.
      case WM_CTLCOLORMSGBOX:
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORLISTBOX:
      case WM_CTLCOLORBTN:
      case WM_CTLCOLORDLG:
      case WM_CTLCOLORSCROLLBAR:
      case WM_CTLCOLORSTATIC:
      case WM_COMPAREITEM:
      case WM_VKEYTOITEM:
      case WM_CHARTOITEM:
      case WM_QUERYDRAGICON:
        return static_cast<INT_PTR>(result);
      default:
        SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
  }
  if (message == WM_DRAWITEM) {
    // Owner-drawn controls draw themselves, as if the message had been sent to them.
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
    if (CSubclassWnd* control = CSubclassWnd::FromHandle(item->hwndItem)) {
      control->DrawItem(*item);
      return TRUE;
    }
  }
  if (message == WM_COMMAND && HIWORD(wparam) == BN_CLICKED) {
    if (LOWORD(wparam) == IDOK) {
      OnOK();
      return TRUE;
    }
    if (LOWORD(wparam) == IDCANCEL) {
      OnCancel();
      return TRUE;
    }
  }
  return FALSE;
}
