#pragma once
// The application object: exactly one exists, constructed before start-up; wWinMain hands
// control to its InitInstance.
#include <windows.h>

class CWinApp {
 public:
  CWinApp();
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // FALSE ends the process at once; TRUE enters the message loop.
  virtual BOOL InitInstance() { return TRUE; }
  virtual int ExitInstance() { return 0; }
  int Run();

  static CWinApp* Get() { return s_pApp; }
  static HINSTANCE Instance() { return s_hInstance; }
  static void SetInstance(HINSTANCE instance) { s_hInstance = instance; }

  HWND m_hMainWnd = nullptr;

 private:
  static CWinApp* s_pApp;
  static HINSTANCE s_hInstance;
};
