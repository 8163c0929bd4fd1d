// The process entry point: the application object does the rest.
#include "framework/win_app.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  CWinApp::SetInstance(instance);
  CWinApp* app = CWinApp::Get();
  if (!app) return 1;
  if (!app->InitInstance()) return app->ExitInstance();
  return app->Run();
}
