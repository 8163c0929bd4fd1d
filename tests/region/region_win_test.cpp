// What the end-to-end area recordings cannot show: the capture-area values leave the rest of
// their key alone, the frame window refuses to close or to shrink below its minimum, and it
// follows a change of the monitor's scale only while the user drags it.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "region/capture_area_win.h"
#include "region/flashing_wnd_win.h"

namespace {

constexpr wchar_t kKey[] = L"Software\\screen-capture-recorder";

DWORD Value(const wchar_t* name) {
  DWORD value = 0, size = sizeof value;
  RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
  return value;
}

bool HasValue(const wchar_t* name) {
  return RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

TEST(CaptureArea, ClearingRemovesOnlyTheFourValues) {
  RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
  ClearCaptureArea();  // none there: the key is made, the four deletions fail quietly
  ASSERT_TRUE(SetCaptureValue(L"other", 7));
  WriteCaptureArea(10, 10, 311, 211);
  EXPECT_TRUE(HasValue(L"start_x") && HasValue(L"start_y") && HasValue(L"capture_width") &&
              HasValue(L"capture_height"));

  ClearCaptureArea();
  EXPECT_FALSE(HasValue(L"start_x") || HasValue(L"start_y") || HasValue(L"capture_width") ||
               HasValue(L"capture_height"));
  EXPECT_TRUE(HasValue(L"other"));
  EXPECT_FALSE(DeleteCaptureValue(L"start_x")) << "a missing value cannot be deleted";
  RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
}

TEST(FrameWindow, StaysOpenAndKeepsItsMinimumSize) {
  CFlashingWnd frame;
  ASSERT_TRUE(frame.CreateFrameWindow());
  SendMessageW(frame.m_hWnd, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(frame.m_hWnd)) << "a close request leaves the frame open";

  MINMAXINFO info = {};
  SendMessageW(frame.m_hWnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_GE(info.ptMinTrackSize.x, 128);
  EXPECT_GE(info.ptMinTrackSize.y, 128);
  DestroyWindow(frame.m_hWnd);
}

TEST(FrameWindow, FollowsAScaleChangeOnlyWhenTheUserDragsIt) {
  CFlashingWnd frame;
  ASSERT_TRUE(frame.CreateFrameWindow());
  MoveWindow(frame.m_hWnd, 100, 100, 300, 200, FALSE);
  const auto window = [&] {
    RECT rc;
    GetWindowRect(frame.m_hWnd, &rc);
    return std::vector<LONG>{rc.left, rc.top, rc.right, rc.bottom};
  };
  const auto scale_change = [&](RECT suggested) {
    SendMessageW(frame.m_hWnd, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  };
  // Placed by the program on a monitor of another scale: the pixels it was given stay.
  scale_change({-700, 100, -249, 401});
  EXPECT_EQ((std::vector<LONG>{100, 100, 400, 300}), window());

  // Dragged there by the user: a 300 x 200 frame is offered 451 x 301, odd sizes that the frame
  // evens before it writes its inside.
  SendMessageW(frame.m_hWnd, WM_ENTERSIZEMOVE, 0, 0);
  scale_change({-700, 100, -249, 401});
  EXPECT_EQ((std::vector<LONG>{-700, 100, -250, 400}), window());
  EXPECT_EQ(
      (std::vector<DWORD>{static_cast<DWORD>(-696), 104, 442, 292}),
      (std::vector<DWORD>{Value(L"start_x"), Value(L"start_y"), Value(L"capture_width"), Value(L"capture_height")}));

  // During a recording the recorded area cannot change: the frame stays.
  frame.m_bLocked = TRUE;
  scale_change({0, 0, 300, 200});
  EXPECT_EQ((std::vector<LONG>{-700, 100, -250, 400}), window());
  EXPECT_EQ(442u, Value(L"capture_width"));
  SendMessageW(frame.m_hWnd, WM_EXITSIZEMOVE, 0, 0);
  DestroyWindow(frame.m_hWnd);
  RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
}

}  // namespace
