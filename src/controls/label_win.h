#pragma once
// The self-drawn static text: own colours and font, gradient or transparent background,
// 3D and rotated text, blinking, and web or mail links.
#include <windows.h>

#include <string>

#include "framework/gdi_guards.h"
#include "framework/subclass_wnd.h"

class CLabel : public CSubclassWnd {
 public:
  static constexpr UINT_PTR kFlashTimerId = 1;
  static constexpr UINT kClickNotification = 0x8200;

  CLabel();
  ~CLabel() override;

  virtual CLabel& SetBackground(COLORREF colour, COLORREF gradient_end, bool gradient);
  virtual CLabel& SetTextColour(COLORREF colour);
  virtual CLabel& SetLabelText(const std::wstring& text);
  virtual CLabel& SetFontBold(bool bold);
  virtual CLabel& SetFontFace(const std::wstring& face, BYTE char_set);
  virtual CLabel& SetFontUnderline(bool underline);
  virtual CLabel& SetFontItalic(bool italic);
  virtual CLabel& SetFontPoints(int points);
  virtual CLabel& SetSunkenEdge(bool on);
  virtual CLabel& SetBorderLine(bool on);
  virtual CLabel& SetTransparentBackground(bool transparent);
  virtual CLabel& SetTextFlash(bool on);
  virtual CLabel& SetFlashMode2(bool on);
  virtual CLabel& SetWebLink(bool on, bool notify_parent);
  virtual CLabel& SetLinkCursor(HCURSOR cursor);
  virtual CLabel& Set3DText(bool on, int style);
  virtual CLabel& SetRotation(int degrees, bool on);
  virtual CLabel& SetHighlightColour(COLORREF colour);
  virtual CLabel& SetLogFont(LOGFONTW font);
  virtual CLabel& SetMailLink(bool on, bool notify_parent);
  virtual CLabel& SetLinkTarget(const std::wstring& target);

  COLORREF m_crText;
  COLORREF m_crHighlight = RGB(255, 255, 255);
  HBRUSH m_hFaceBrush;
  HBRUSH m_hBackBrush = nullptr;
  LOGFONTW m_lf{};
  ScopedFont m_font;
  BOOL m_bFlashPhase = FALSE;
  BOOL m_bFlashTimer = FALSE;
  int m_nLinkMode = 0;
  BOOL m_bTransparent = FALSE;
  BOOL m_b3DText = FALSE;
  BOOL m_bNotifyParent = FALSE;
  BOOL m_bRotate = FALSE;
  int m_nFlashMode = 0;
  HCURSOR m_hLinkCursor = nullptr;
  int m_n3DStyle = 0;
  BOOL m_bGradient = FALSE;
  COLORREF m_crGradientEnd = 0;
  COLORREF m_crBackground = 0;
  std::wstring m_strLinkTarget;

 protected:
  void PreSubclassWindow() override;
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

 private:
  void RebuildFont();
  // Repaints the label at once, and the parent under it (which shows through a
  // transparent label).
  void Refresh();
  void Paint();
  // Background (unless transparent) and text onto `dc`, which covers the client area.
  void DrawLabel(HDC dc, const RECT& rc, const std::wstring& text);
  void PaintGradient(HDC dc, const RECT& rc);
  void OnClick();
  void SetFlash(bool on, int mode);
  void ChangeStyle(int index, LONG_PTR bits, bool on, bool frame_changed);
};
