#pragma once
// The start-up check: a small dialog that, one step per timer tick, checks that the encoder
// and both capture devices are installed, logging in green on dark grey. It closes itself
// with IDOK when all is there; after a failure the log turns red and only its OK button ends
// it, with IDCANCEL.
#include <string>

#include "framework/dialog.h"
#include "framework/gdi_guards.h"

class CInitDlg : public CDialog {
 public:
  CInitDlg();

  // Appends `text` and `suffix` to the log.
  void AppendCheckLog(const std::wstring& text, const std::wstring& suffix);
  // Both capture devices the encoder reads are installed.
  static bool CheckCaptureDevices();

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override {}  // Escape does not dismiss the check
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

 private:
  static constexpr UINT_PTR TIMER_CHECK_STEP = 1;

  LRESULT OnTimer(WPARAM id, LPARAM);
  LRESULT OnCtlColor(WPARAM dc, LPARAM);
  static bool IsEncoderInstalled();

  BOOL m_bCheckPassed = FALSE;
  BOOL m_bCheckFailed = FALSE;
  ScopedBrush m_brBackground{CreateSolidBrush(0x585858)};  // returned for every control
};
