#pragma once
// A dialog from a template in the resources, run modally with our own loop (so that a
// dialog can look at messages before they are dispatched) or created modeless.
#include <vector>

#include "framework/wnd.h"

class CDialog : public CWnd {
 public:
  CDialog(UINT template_id, HWND parent = nullptr) : m_nTemplateId(template_id), m_hParent(parent) {}
  ~CDialog() override;

  // Runs the dialog until EndDialog; returns its result, or -1 when it cannot be created.
  INT_PTR DoModal();
  // Creates the dialog modeless; false when it cannot be created.
  bool Create();
  void EndDialog(INT_PTR result);

 protected:
  virtual BOOL OnInitDialog() { return TRUE; }
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }
  // Called for every message of the modal loop before dispatch; true swallows it.
  virtual bool PreTranslateMessage(MSG* /*msg*/) { return false; }
  // The derived class's message table; true when handled, with the answer in `result`.
  virtual bool OnMessage(UINT /*message*/, WPARAM /*wparam*/, LPARAM /*lparam*/, LRESULT& /*result*/) { return false; }

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  HWND CreateFromTemplate();
  static bool IsModelessDialogMessage(MSG* msg);

  // Modeless dialogs of the process, so that any modal loop gives them their keyboard
  // navigation (Escape, Enter) too.
  static std::vector<HWND> s_modeless;

  UINT m_nTemplateId;
  HWND m_hParent;
  bool m_bModal = false;
  bool m_bContinueModal = false;
  INT_PTR m_nModalResult = -1;
};
