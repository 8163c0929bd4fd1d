#pragma once
// The About box: the program's icon, kind and version, and two buttons that open the local
// manual and the product's web page; green text on dark grey.
#include "framework/dialog.h"
#include "framework/gdi_guards.h"

class AboutDlg : public CDialog {
 public:
  explicit AboutDlg(HWND owner);

 protected:
  BOOL OnInitDialog() override;
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

 private:
  void OnHelp();
  LRESULT OnCtlColor(WPARAM dc, LPARAM);
  void OnWebSite();

  ScopedBrush m_brBackground{CreateSolidBrush(0x585858)};  // returned for every control
};
