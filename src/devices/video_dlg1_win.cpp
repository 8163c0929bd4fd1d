#include "devices/video_dlg1_win.h"

#include <vector>

#include "app/paths.h"
#include "devices/camera_position.h"
#include "framework/dpi_win.h"
#include "framework/message_map.h"
#include "res/resource.h"

namespace {
std::wstring PositionFile() { return GetUserDataFolder() + L"vw1.cfg"; }

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT rect, LPARAM list) {
  reinterpret_cast<std::vector<devices::Box>*>(list)->push_back({rect->left, rect->top, rect->right, rect->bottom});
  return TRUE;
}

std::vector<devices::Box> MonitorRects() {
  std::vector<devices::Box> monitors;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
  return monitors;
}
}  // namespace

CVideoDlg1::CVideoDlg1(HWND owner) : CDialog(IDD_VIDEO_DIALOG, owner), m_pOwner(owner) {}

CVideoDlg1::~CVideoDlg1() { devices::EndPreview(m_pPreview); }

BOOL CVideoDlg1::OnInitDialog() {
  // The window takes the size the system suggests on a monitor of another scale, and the
  // picture fills it (WM_DPICHANGED, WM_SIZE); the dialog manager's own rescaling stays out.
  KeepOwnLayoutOnDpiChange(m_hWnd);
  return TRUE;
}

void CVideoDlg1::SetCamera(const std::wstring& name, int width, int height) {
  m_strCamera = name;
  m_nCameraWidth = width;
  m_nCameraHeight = height;
}

void CVideoDlg1::OpenCamera() {
  RestorePosition();
  const int width = m_nCameraWidth, height = m_nCameraHeight;
  const auto size_step = [width, height](devices::PreviewGraph& graph) {
    if (width > 0) devices::SetCaptureSize(graph, width, height);
  };
  if (devices::StartPreview(m_pPreview, m_strCamera.c_str(), m_hWnd, size_step)) {
    m_bShowing = 1;
  } else {
    CloseCamera();
  }
}

void CVideoDlg1::CloseCamera() {
  devices::EndPreview(m_pPreview);
  SavePosition();
  ShowWindow(m_hWnd, SW_HIDE);
  m_bShowing = 0;
  PostMessageW(m_pOwner, WM_CAMERA_CLOSED, 0, 0);
}

void CVideoDlg1::RestorePosition() {
  std::optional<devices::Box> stored = devices::ReadCameraPosition(PositionFile());
  // The monitor it was left on may be gone (undocked, a lid closed).
  if (stored && !devices::LiesOnAMonitor(*stored, MonitorRects())) stored.reset();
  RECT window;
  GetWindowRect(m_hWnd, &window);
  const devices::Box place =
      stored ? *stored
             : devices::DefaultCameraPosition(GetSystemMetrics(SM_CXSCREEN), window.right - window.left,
                                              window.bottom - window.top, UsableDpi(WindowDpi(m_hWnd)));
  SetWindowPos(m_hWnd, HWND_TOPMOST, place.left, place.top, place.right - place.left, place.bottom - place.top,
               SWP_SHOWWINDOW);
}

void CVideoDlg1::SavePosition() {
  RECT window;
  GetWindowRect(m_hWnd, &window);  // maximised or not: what the user last saw
  devices::WriteCameraPosition(PositionFile(), {window.left, window.top, window.right, window.bottom});
}

void CVideoDlg1::OnCancel() {
  if (IsZoomed(m_hWnd))
    ShowWindow(m_hWnd, SW_RESTORE);
  else
    CloseCamera();
}

bool CVideoDlg1::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  static const MessageMap<CVideoDlg1> map{{
      {WM_LBUTTONDOWN, &CVideoDlg1::OnLButtonDown},
      {WM_LBUTTONDBLCLK, &CVideoDlg1::OnLButtonDblClk},
      {WM_SIZE, &CVideoDlg1::OnSize},
      {WM_PAINT, &CVideoDlg1::OnPaint},
      {WM_DPICHANGED, &CVideoDlg1::OnDpiChanged},
  }};
  return map.Dispatch(this, message, wparam, lparam, result);
}

LRESULT CVideoDlg1::OnLButtonDown(WPARAM, LPARAM) {
  // The picture is the window's handle: dragging it moves the window.
  SendMessageW(m_hWnd, WM_NCLBUTTONDOWN, HTCAPTION, 0);
  return 0;
}

LRESULT CVideoDlg1::OnLButtonDblClk(WPARAM, LPARAM) {
  ShowWindow(m_hWnd, IsZoomed(m_hWnd) ? SW_RESTORE : SW_MAXIMIZE);
  return 0;
}

LRESULT CVideoDlg1::OnSize(WPARAM, LPARAM) {
  InvalidateRect(m_hWnd, nullptr, TRUE);
  if (m_pPreview) devices::FitVideoToWindow(*m_pPreview);
  return 0;
}

LRESULT CVideoDlg1::OnDpiChanged(WPARAM wparam, LPARAM lparam) {
  if (!lparam) return 0;  // no suggested place: the window stays as it is
  const RECT place = ReadDpiChange(wparam, lparam).suggested;
  SetWindowPos(m_hWnd, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  return 0;
}

LRESULT CVideoDlg1::OnPaint(WPARAM, LPARAM) {
  // The renderer draws the frames as they come; a repaint in between shows the last one again.
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(m_hWnd, &paint);
  if (m_pPreview && m_pPreview->windowless) m_pPreview->windowless->RepaintVideo(m_hWnd, dc);
  EndPaint(m_hWnd, &paint);
  return 0;
}
