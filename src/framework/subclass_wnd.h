#pragma once
// A window object attached to an existing window, typically a control of a dialog
// template: its messages pass through one static procedure to the object's handlers,
// and whatever the object does not handle goes on to the control's own procedure.
#include "framework/wnd.h"

class CSubclassWnd : public CWnd {
 public:
  CSubclassWnd() = default;
  // Gives the window back to its own procedure if it still exists.
  ~CSubclassWnd() override;

  bool SubclassDlgItem(int id, HWND parent);
  bool SubclassWindow(HWND hwnd);
  void UnsubclassWindow();

  // The object attached to `hwnd`, or null.
  static CSubclassWnd* FromHandle(HWND hwnd);
  // Lets the object a message is addressed to look at it before dispatch (tooltips relay
  // mouse messages this way); true swallows the message.
  static bool PreTranslateFor(MSG* msg);

  // The owner's WM_DRAWITEM, reflected to the owner-drawn control it is about.
  virtual void DrawItem(const DRAWITEMSTRUCT& /*item*/) {}
  virtual bool PreTranslateMessage(MSG* /*msg*/) { return false; }

 protected:
  // Runs once the window is attached, before any message reaches the handlers.
  virtual void PreSubclassWindow() {}
  // The class's message table; true when handled, with the answer in `result`.
  virtual bool OnMessage(UINT /*message*/, WPARAM /*wparam*/, LPARAM /*lparam*/, LRESULT& /*result*/) { return false; }
  // The control's own processing of a message.
  LRESULT Default(UINT message, WPARAM wparam, LPARAM lparam);

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  WNDPROC m_pfnSuper = nullptr;
};
