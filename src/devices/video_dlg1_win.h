// The camera window: a small borderless top-most window with the camera's live picture, moved
// by dragging the picture, sized by its frame, maximised by a double click. Its place is kept in
// "vw1.cfg" in the user's data folder.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "devices/preview_graph_win.h"
#include "framework/dialog.h"

// Posted to the owner whenever the window closes.
constexpr UINT WM_CAMERA_CLOSED = WM_USER + 201;

class CVideoDlg1 : public CDialog {
 public:
  explicit CVideoDlg1(HWND owner);
  ~CVideoDlg1() override;

  void SetCamera(const std::wstring& name, int width, int height);
  // Places and shows the window and starts the picture; a camera that cannot be started
  // closes the window again at once.
  void OpenCamera();
  // Stops the picture, keeps the window's place, hides it and tells the owner.
  void CloseCamera();

  int m_bShowing = 0;

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override {}  // Enter does nothing
  void OnCancel() override;
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

 private:
  LRESULT OnLButtonDown(WPARAM wparam, LPARAM lparam);
  LRESULT OnLButtonDblClk(WPARAM wparam, LPARAM lparam);
  LRESULT OnSize(WPARAM wparam, LPARAM lparam);
  LRESULT OnPaint(WPARAM wparam, LPARAM lparam);
  LRESULT OnDpiChanged(WPARAM wparam, LPARAM lparam);
  void RestorePosition();
  void SavePosition();

  std::wstring m_strCamera;
  int m_nCameraWidth = 0;
  int m_nCameraHeight = 0;
  std::unique_ptr<devices::PreviewGraph> m_pPreview;
  HWND m_pOwner;
};
