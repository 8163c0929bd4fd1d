// What the end-to-end area recordings cannot show: the capture-area values leave the rest of
// their key alone, and the frame window refuses to close or to shrink below its minimum.
#include <gtest/gtest.h>
#include <windows.h>

#include "region/capture_area_win.h"
#include "region/flashing_wnd_win.h"

namespace {

constexpr wchar_t kKey[] = L"Software\\screen-capture-recorder";

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

}  // namespace
