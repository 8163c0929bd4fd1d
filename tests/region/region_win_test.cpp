// The capture-area registry values and the recording frame as real Win32 objects.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>

#include "region/capture_area_win.h"
#include "region/flashing_wnd_win.h"

bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

namespace {

constexpr wchar_t kKey[] = L"Software\\screen-capture-recorder";

std::optional<DWORD> ReadValue(const wchar_t* name) {
  DWORD value = 0, size = sizeof value, type = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_ANY, &type, &value, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type) << name;
  return value;
}

struct Area {
  std::optional<DWORD> x, y, width, height;
};
Area ReadArea() {
  return {ReadValue(L"start_x"), ReadValue(L"start_y"), ReadValue(L"capture_width"), ReadValue(L"capture_height")};
}

TEST(CaptureArea, WrittenEvenAsASetAndClearedAsASet) {
  RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
  ClearCaptureArea();  // none there: the key is made, the four deletions fail quietly
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ | KEY_WRITE, &key));
  const DWORD other = 7;
  RegSetValueExW(key, L"other", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&other), sizeof other);
  RegCloseKey(key);

  WriteCaptureArea(10, 10, 311, 211);
  Area area = ReadArea();
  EXPECT_EQ(10u, area.x);
  EXPECT_EQ(10u, area.y);
  EXPECT_EQ(300u, area.width);
  EXPECT_EQ(200u, area.height);

  // Partly off the screen: the 32-bit pattern of a negative position.
  WriteCaptureArea(-36, -2, 164, 98);
  EXPECT_EQ(0xFFFFFFDCu, ReadArea().x);
  EXPECT_EQ(0xFFFFFFFEu, ReadArea().y);

  ClearCaptureArea();
  area = ReadArea();
  EXPECT_FALSE(area.x || area.y || area.width || area.height);
  EXPECT_EQ(7u, ReadValue(L"other")) << "other values under the key stay";
  EXPECT_FALSE(DeleteCaptureValue(L"start_x")) << "a missing value cannot be deleted";
  RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
}

// The bar's side of WM_AREA_CHANGED: the last rectangle sent.
std::optional<RECT> g_lastArea;
LRESULT CALLBACK BarProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_USER + 301) {
    g_lastArea.reset();
    if (wparam) g_lastArea = *reinterpret_cast<const RECT*>(wparam);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

class FrameWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = BarProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"RegionTestBar";
    RegisterClassW(&wc);
    m_hBar = CreateWindowW(L"RegionTestBar", L"bar", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(m_hBar);
    ASSERT_TRUE(m_wndFrame.CreateFrameWindow());
    m_wndFrame.m_hNotifyWnd = m_hBar;
  }
  void TearDown() override {
    if (m_wndFrame.m_hWnd) DestroyWindow(m_wndFrame.m_hWnd);
    DestroyWindow(m_hBar);
    RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
  }
  RECT WindowRect() const {
    RECT rc = {};
    GetWindowRect(m_wndFrame.m_hWnd, &rc);
    return rc;
  }

  HWND m_hBar = nullptr;
  CFlashingWnd m_wndFrame;
};

TEST_F(FrameWindow, PublishesAndWritesItsInsideWithAnEvenSize) {
  MoveWindow(m_wndFrame.m_hWnd, 100, 50, 200, 200, TRUE);
  ASSERT_TRUE(g_lastArea);
  EXPECT_EQ((RECT{104, 54, 296, 246}), *g_lastArea);
  Area area = ReadArea();
  EXPECT_EQ(104u, area.x);
  EXPECT_EQ(54u, area.y);
  EXPECT_EQ(192u, area.width);
  EXPECT_EQ(192u, area.height);

  // 301 high and 251 wide: the bottom edge goes up and the right edge in by one pixel.
  MoveWindow(m_wndFrame.m_hWnd, 100, 50, 251, 301, TRUE);
  EXPECT_EQ((RECT{100, 50, 350, 350}), WindowRect());
  EXPECT_EQ((RECT{104, 54, 346, 346}), *g_lastArea);
  area = ReadArea();
  EXPECT_EQ(242u, area.width);
  EXPECT_EQ(292u, area.height);
}

TEST_F(FrameWindow, StaysOpenKeepsItsMinimumAndLocks) {
  SendMessageW(m_wndFrame.m_hWnd, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(m_wndFrame.m_hWnd)) << "a close request leaves the frame open";

  MINMAXINFO info = {};
  SendMessageW(m_wndFrame.m_hWnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_GE(info.ptMinTrackSize.x, 128);
  EXPECT_GE(info.ptMinTrackSize.y, 128);

  MoveWindow(m_wndFrame.m_hWnd, 100, 50, 300, 200, TRUE);
  const LPARAM top_edge = MAKELPARAM(250, 51);
  const LPARAM right_edge = MAKELPARAM(398, 150);
  EXPECT_EQ(HTCAPTION, SendMessageW(m_wndFrame.m_hWnd, WM_NCHITTEST, 0, top_edge));
  EXPECT_EQ(HTRIGHT, SendMessageW(m_wndFrame.m_hWnd, WM_NCHITTEST, 0, right_edge));
  m_wndFrame.m_bLocked = TRUE;
  EXPECT_NE(HTCAPTION, SendMessageW(m_wndFrame.m_hWnd, WM_NCHITTEST, 0, top_edge));
  EXPECT_NE(HTRIGHT, SendMessageW(m_wndFrame.m_hWnd, WM_NCHITTEST, 0, right_edge));
}

}  // namespace
