#pragma once
#include "framework/win_app.h"

// The application: refuses a second instance, then runs the control bar until it closes.
class CQuorlinApp : public CWinApp {
 public:
  BOOL InitInstance() override;
};
