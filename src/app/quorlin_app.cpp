#include "app/quorlin_app.h"

#include <commctrl.h>
#include <objbase.h>

#include "bar/quorlin_dlg_win.h"
#include "framework/message_box.h"

namespace {
// The control bar gives itself this title; any top-level window with it means that
// Quorlin is already running.
constexpr wchar_t kBarWindowTitle[] = L"quorlwnd";
}  // namespace

CQuorlinApp theApp;

BOOL CQuorlinApp::InitInstance() {
  if (FindWindowW(nullptr, kBarWindowTitle)) {
    ShowMessageBox(nullptr, L"程序的另一个实例已经在运行，当前进程将退出！");
    return FALSE;
  }

  INITCOMMONCONTROLSEX controls = {};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_WIN95_CLASSES;
  InitCommonControlsEx(&controls);

  // Devices are listed and previewed on this thread, in a single-threaded apartment.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  {
    CQuorlinDlg bar;
    m_hMainWnd = nullptr;
    bar.DoModal();
  }
  if (SUCCEEDED(com)) CoUninitialize();
  // The process ends here rather than entering a message loop.
  return FALSE;
}
