#include "framework/win_app.h"

CWinApp* CWinApp::s_pApp = nullptr;
HINSTANCE CWinApp::s_hInstance = nullptr;

CWinApp::CWinApp() { s_pApp = this; }

CWinApp::~CWinApp() {
  if (s_pApp == this) s_pApp = nullptr;
}

int CWinApp::Run() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  ExitInstance();
  return static_cast<int>(msg.wParam);
}
