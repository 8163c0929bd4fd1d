#include "framework/subclass_wnd.h"

namespace {
// The object pointer lives in a window property, so a control's own user data stays free.
constexpr wchar_t kObjectProperty[] = L"Quorlin.CSubclassWnd";
}  // namespace

CSubclassWnd::~CSubclassWnd() { UnsubclassWindow(); }

bool CSubclassWnd::SubclassDlgItem(int id, HWND parent) { return SubclassWindow(::GetDlgItem(parent, id)); }

bool CSubclassWnd::SubclassWindow(HWND hwnd) {
  if (!hwnd || m_hWnd || FromHandle(hwnd)) return false;
  m_hWnd = hwnd;
  PreSubclassWindow();
  SetPropW(hwnd, kObjectProperty, this);
  m_pfnSuper = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CSubclassWnd::SubclassProc)));
  return true;
}

void CSubclassWnd::UnsubclassWindow() {
  if (!m_hWnd) return;
  if (m_pfnSuper) SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
  RemovePropW(m_hWnd, kObjectProperty);
  m_hWnd = nullptr;
  m_pfnSuper = nullptr;
}

CSubclassWnd* CSubclassWnd::FromHandle(HWND hwnd) {
  return hwnd ? static_cast<CSubclassWnd*>(GetPropW(hwnd, kObjectProperty)) : nullptr;
}

bool CSubclassWnd::PreTranslateFor(MSG* msg) {
  CSubclassWnd* self = FromHandle(msg->hwnd);
  return self && self->PreTranslateMessage(msg);
}

LRESULT CSubclassWnd::Default(UINT message, WPARAM wparam, LPARAM lparam) {
  return m_pfnSuper ? CallWindowProcW(m_pfnSuper, m_hWnd, message, wparam, lparam)
                    : DefWindowProcW(m_hWnd, message, wparam, lparam);
}

LRESULT CALLBACK CSubclassWnd::SubclassProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  CSubclassWnd* self = FromHandle(hwnd);
  if (!self) return DefWindowProcW(hwnd, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    // The window goes first; the object lets go of it after the control's own teardown.
    const LRESULT result = self->Default(message, wparam, lparam);
    self->UnsubclassWindow();
    return result;
  }
  LRESULT result = 0;
  if (self->OnMessage(message, wparam, lparam, result)) return result;
  return self->Default(message, wparam, lparam);
}
