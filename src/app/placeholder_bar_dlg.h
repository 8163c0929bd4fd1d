#pragma once
#include "framework/dialog.h"
#include "res/resource.h"

// TODO: stands in for the control bar until it is built: shows template 102 ("quorlwnd").
class CPlaceholderBarDlg : public CDialog {
 public:
  CPlaceholderBarDlg() : CDialog(IDD_QUORLIN_DIALOG) {}

 protected:
  BOOL OnInitDialog() override;
};
