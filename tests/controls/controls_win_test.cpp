// The skinned controls and bitmap regions as real windows.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bar/dialog_utility_win.h"
#include "controls/dynamic_led_win.h"
#include "controls/hover_button_win.h"
#include "controls/label_win.h"
#include "controls_test_res.h"
#include "framework/dialog.h"
#include "framework/win_app.h"
#include "res/resource.h"

namespace {

void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// A modeless dialog holding one control of each kind; it records notifications.
class TestDialog : public CDialog {
 public:
  TestDialog() : CDialog(IDD_CONTROLS_TEST) {
    CWinApp::SetInstance(GetModuleHandleW(nullptr));
    EXPECT_TRUE(Create());
    SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    PumpMessages();
  }
  std::vector<NMHDR> notifications;

 protected:
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override {
    if (message == WM_NOTIFY) {
      notifications.push_back(*reinterpret_cast<NMHDR*>(lparam));
      result = 0;
      return true;
    }
    if (message == WM_ERASEBKGND) {  // a known colour behind transparent controls
      RECT rc;
      GetClientRect(m_hWnd, &rc);
      HBRUSH brush = CreateSolidBrush(RGB(10, 20, 30));
      FillRect(reinterpret_cast<HDC>(wparam), &rc, brush);
      DeleteObject(brush);
      result = 1;
      return true;
    }
    return false;
  }
};

std::wstring TempFile(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  return std::wstring(folder) + name;
}

// Writes a 24-bit strip whose three frames are red, green and blue (and any remainder
// columns white).
std::wstring WriteStrip(const wchar_t* name, int width, int height) {
  const int stride = (width * 3 + 3) / 4 * 4;
  std::vector<unsigned char> file(54 + static_cast<size_t>(stride * height));
  BITMAPFILEHEADER* fh = reinterpret_cast<BITMAPFILEHEADER*>(file.data());
  BITMAPINFOHEADER* ih = reinterpret_cast<BITMAPINFOHEADER*>(file.data() + 14);
  fh->bfType = 0x4D42;
  fh->bfSize = static_cast<DWORD>(file.size());
  fh->bfOffBits = 54;
  *ih = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  const int frame = width / 3;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      unsigned char* p = &file[54 + static_cast<size_t>(y * stride + x * 3)];
      const int which = x / frame;
      p[2] = which == 0 || which > 2 ? 255 : 0;
      p[1] = which == 1 || which > 2 ? 255 : 0;
      p[0] = which == 2 || which > 2 ? 255 : 0;
    }
  const std::wstring path = TempFile(name);
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(f, file.data(), static_cast<DWORD>(file.size()), &written, nullptr);
  CloseHandle(f);
  return path;
}

SIZE ClientSize(HWND hwnd) {
  RECT rc;
  GetClientRect(hwnd, &rc);
  return {rc.right, rc.bottom};
}

COLORREF PixelOf(HWND hwnd, int x, int y) {
  HDC dc = GetDC(hwnd);
  const COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(hwnd, dc);
  return c;
}

TEST(HoverButton, SizesItselfToOneFrame) {
  TestDialog dlg;
  CHoverButton button;
  ASSERT_TRUE(button.SubclassDlgItem(IDC_TEST_BUTTON, dlg.m_hWnd));
  EXPECT_TRUE(GetWindowLongPtrW(button.m_hWnd, GWL_STYLE) & BS_OWNERDRAW);
  button.LoadStripBitmap(WriteStrip(L"strip96.bmp", 96, 32));
  EXPECT_EQ(32, ClientSize(button.m_hWnd).cx);
  EXPECT_EQ(32, ClientSize(button.m_hWnd).cy);
  button.LoadStripBitmap(WriteStrip(L"strip100.bmp", 100, 32));
  EXPECT_EQ(33, button.m_nFrameWidth);
  EXPECT_EQ(33, ClientSize(button.m_hWnd).cx);
  // A missing file leaves no strip and the size as it was.
  EXPECT_TRUE(button.LoadStripBitmap(TempFile(L"no-such-strip.bmp")));
  EXPECT_FALSE(button.m_bmStrip);
  EXPECT_EQ(33, ClientSize(button.m_hWnd).cx);
}

// Draws the button into a memory picture the way the owner-draw call does.
COLORREF DrawnFrameColour(CHoverButton& button, UINT state) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 40, 40);
  HGDIOBJ old = SelectObject(dc, bitmap);
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_BUTTON;
  item.hwndItem = button.m_hWnd;
  item.hDC = dc;
  item.itemState = state;
  button.DrawItem(item);
  const COLORREF c = GetPixel(dc, 16, 16);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return c;
}

TEST(HoverButton, FrameFollowsHoverAndPressedWins) {
  TestDialog dlg;
  CHoverButton button;
  ASSERT_TRUE(button.SubclassDlgItem(IDC_TEST_BUTTON, dlg.m_hWnd));
  button.LoadStripBitmap(WriteStrip(L"strip-frames.bmp", 100, 32));
  EXPECT_EQ(RGB(255, 0, 0), DrawnFrameColour(button, 0));
  SendMessageW(button.m_hWnd, WM_MOUSEHOVER, 0, 0);
  EXPECT_TRUE(button.m_bHover);
  EXPECT_EQ(RGB(0, 0, 255), DrawnFrameColour(button, 0));
  EXPECT_EQ(RGB(0, 255, 0), DrawnFrameColour(button, ODS_SELECTED));
  EXPECT_EQ(RGB(0, 0, 255), DrawnFrameColour(button, ODS_FOCUS));  // released again
  SendMessageW(button.m_hWnd, WM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(button.m_bHover);
  EXPECT_FALSE(button.m_bTracking);
  EXPECT_EQ(RGB(255, 0, 0), DrawnFrameColour(button, ODS_DISABLED));
}

TEST(HoverButton, MouseMoveRegistersTrackingOnce) {
  TestDialog dlg;
  CHoverButton button;
  ASSERT_TRUE(button.SubclassDlgItem(IDC_TEST_BUTTON, dlg.m_hWnd));
  SendMessageW(button.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
  EXPECT_TRUE(button.m_bTracking);
  SendMessageW(button.m_hWnd, WM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(button.m_bTracking);
  // Without a cursor of its own the button answers FALSE and changes nothing.
  EXPECT_EQ(FALSE, SendMessageW(button.m_hWnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(button.m_hWnd), 0));
}

// Where the window system polls for the mouse leaving (Wine), the hover time is its polling
// period: once hovering, a button must not keep the first hover's 1 ms.
TEST(HoverButton, HoverKeepsWatchingForTheLeaveWithoutFastPolling) {
  TestDialog dlg;
  CHoverButton button;
  ASSERT_TRUE(button.SubclassDlgItem(IDC_TEST_BUTTON, dlg.m_hWnd));
  RECT rc;
  GetWindowRect(button.m_hWnd, &rc);
  SetCursorPos((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
  SendMessageW(button.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
  SendMessageW(button.m_hWnd, WM_MOUSEHOVER, 0, 0);
  TRACKMOUSEEVENT query{sizeof(query), TME_QUERY, nullptr, 0};
  ASSERT_TRUE(TrackMouseEvent(&query));
  EXPECT_EQ(button.m_hWnd, query.hwndTrack);
  EXPECT_NE(0u, query.dwFlags & TME_LEAVE);
  EXPECT_EQ(CHoverButton::kLeavePollMilliseconds, query.dwHoverTime);
  EXPECT_TRUE(button.m_bHover);
  SendMessageW(button.m_hWnd, WM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(button.m_bHover);
}

// A 32 x 32 white picture with key pixels; TrimCorners reads it.
struct KeyPicture {
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old;
  explicit KeyPicture(const std::vector<POINT>& keys) {
    HDC screen = GetDC(nullptr);
    dc = CreateCompatibleDC(screen);
    bitmap = CreateCompatibleBitmap(screen, 32, 32);
    ReleaseDC(nullptr, screen);
    old = SelectObject(dc, bitmap);
    RECT all{0, 0, 32, 32};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    for (POINT p : keys) SetPixel(dc, p.x, p.y, RGB(31, 251, 222));
  }
  ~KeyPicture() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
};

// Pixels of a 32 x 32 window that its region leaves out.
std::vector<POINT> PixelsCut(HWND hwnd) {
  std::vector<POINT> cut;
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  if (GetWindowRgn(hwnd, rgn) == ERROR) {
    DeleteObject(rgn);
    return cut;  // no region: the whole window
  }
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x)
      if (!PtInRegion(rgn, x, y)) cut.push_back({x, y});
  DeleteObject(rgn);
  return cut;
}

TEST(HoverButton, TrimCornersCutsTheStaircaseOnly) {
  TestDialog dlg;
  CHoverButton button;
  ASSERT_TRUE(button.SubclassDlgItem(IDC_TEST_BUTTON, dlg.m_hWnd));
  SetWindowPos(button.m_hWnd, nullptr, 0, 0, 32, 32, SWP_NOMOVE | SWP_NOZORDER);
  {
    KeyPicture none({});
    CHoverButton::TrimCorners(none.dc, button.m_hWnd, RGB(31, 251, 222));
    EXPECT_TRUE(PixelsCut(button.m_hWnd).empty());
  }
  // Six staircase pixels at the top left; at the bottom right a key pixel beyond an
  // opaque one stays.
  KeyPicture keys({{0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}, {2, 0}, {31, 31}, {31, 29}});
  CHoverButton::TrimCorners(keys.dc, button.m_hWnd, RGB(31, 251, 222));
  const std::vector<POINT> cut = PixelsCut(button.m_hWnd);
  std::vector<std::pair<LONG, LONG>> got;
  for (POINT p : cut) got.push_back({p.x, p.y});
  const std::vector<std::pair<LONG, LONG>> expected{{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {0, 2}, {31, 31}};
  EXPECT_EQ(expected, got);
}

std::wstring SkinStrip(const wchar_t* name) {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L'\\') + 1) + L"skin\\" + name + L".bmp";
}

TEST(HoverButton, DrawingTheSkinStripCutsItsRoundedCorners) {
  TestDialog dlg;
  CHoverButton button;
  ASSERT_TRUE(button.SubclassDlgItem(IDC_TEST_BUTTON, dlg.m_hWnd));
  button.LoadStripBitmap(SkinStrip(L"start"));
  ASSERT_EQ(36, button.m_nFrameWidth);
  DrawnFrameColour(button, 0);
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(ERROR, GetWindowRgn(button.m_hWnd, rgn));
  EXPECT_FALSE(PtInRegion(rgn, 0, 0));
  EXPECT_FALSE(PtInRegion(rgn, 35, 35));
  EXPECT_TRUE(PtInRegion(rgn, 18, 0));
  EXPECT_TRUE(PtInRegion(rgn, 18, 18));
  DeleteObject(rgn);
}

TEST(HoverButton, ToolTipKeepsOneToolWithTheLatestText) {
  TestDialog dlg;
  CHoverButton button;
  ASSERT_TRUE(button.SubclassDlgItem(IDC_TEST_BUTTON, dlg.m_hWnd));
  button.SetToolTipText(nullptr);
  EXPECT_EQ(nullptr, button.m_hToolTip);
  button.SetToolTipText(L"开始录制");
  button.SetToolTipText(L"停止录制");
  ASSERT_NE(nullptr, button.m_hToolTip);
  EXPECT_EQ(1, SendMessageW(button.m_hToolTip, TTM_GETTOOLCOUNT, 0, 0));
  wchar_t text[64] = {};
  TOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.hwnd = button.m_hWnd;
  tool.uId = 1;
  tool.lpszText = text;
  SendMessageW(button.m_hToolTip, TTM_GETTEXTW, 64, reinterpret_cast<LPARAM>(&tool));
  EXPECT_STREQ(L"停止录制", text);
}

COLORREF LampCentre(const CDynamicLED& led) {
  const SIZE size = ClientSize(led.m_hWnd);
  return PixelOf(led.m_hWnd, size.cx / 2, size.cy / 2 + 2);
}

TEST(DynamicLed, SteadyShadeAndPhaseCarryOver) {
  TestDialog dlg;
  HWND lamp = GetDlgItem(dlg.m_hWnd, IDC_TEST_LED);
  CDynamicLED led;
  led.ConfigureLed(lamp, kLedGreen);
  led.HoldSteady();
  EXPECT_EQ(RGB(0, 150, 0), LampCentre(led));  // a new lamp starts dark
  // Ticks while holding draw nothing: paint over the lamp and tick.
  {
    HDC dc = GetDC(lamp);
    RECT rc;
    GetClientRect(lamp, &rc);
    FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(lamp, dc);
  }
  SendMessageW(lamp, WM_TIMER, CDynamicLED::kTimerId, 0);
  EXPECT_EQ(RGB(0, 0, 0), LampCentre(led));
  // A repaint shows the held shade again.
  RedrawWindow(lamp, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_EQ(RGB(0, 150, 0), LampCentre(led));
  led.ConfigureLed(lamp, kLedRed);
  EXPECT_EQ(RGB(250, 0, 0), LampCentre(led));  // the phase went on: bright
  SendMessageW(lamp, WM_TIMER, CDynamicLED::kTimerId, 0);
  EXPECT_EQ(RGB(150, 0, 0), LampCentre(led));
  led.HoldSteady();
  led.ResumeBlinking();
  SendMessageW(lamp, WM_TIMER, CDynamicLED::kTimerId, 0);
  EXPECT_EQ(RGB(250, 0, 0), LampCentre(led));
}

TEST(Label, GradientBandsOnScreen) {
  TestDialog dlg;
  CLabel label;
  ASSERT_TRUE(label.SubclassDlgItem(IDC_TEST_LABEL_WIDE, dlg.m_hWnd));
  SetWindowPos(label.m_hWnd, nullptr, 0, 0, 250, 30, SWP_NOMOVE | SWP_NOZORDER);
  label.SetBackground(RGB(0, 0, 0), RGB(255, 0, 0), true);
  EXPECT_EQ(RGB(0, 0, 0), PixelOf(label.m_hWnd, 0, 5));
  EXPECT_EQ(RGB(2, 0, 0), PixelOf(label.m_hWnd, 2, 5));
  EXPECT_EQ(RGB(252, 0, 0), PixelOf(label.m_hWnd, 198, 5));
  EXPECT_EQ(RGB(252, 0, 0), PixelOf(label.m_hWnd, 249, 29));  // the band fills its full height
  // Transparent: the parent's background shows through.
  label.SetTransparentBackground(true);
  EXPECT_EQ(RGB(10, 20, 30), PixelOf(label.m_hWnd, 249, 29));
  EXPECT_TRUE(GetWindowLongPtrW(label.m_hWnd, GWL_EXSTYLE) & WS_EX_TRANSPARENT);
  label.SetTransparentBackground(false);
  EXPECT_TRUE(GetWindowLongPtrW(label.m_hWnd, GWL_EXSTYLE) & WS_EX_TRANSPARENT);
  EXPECT_EQ(RGB(252, 0, 0), PixelOf(label.m_hWnd, 249, 29));
}

TEST(Label, TextColourTextAndNotifyParent) {
  TestDialog dlg;
  CLabel detached;
  detached.SetLabelText(L"nothing");  // no window: changes nothing
  CLabel label;
  ASSERT_TRUE(label.SubclassDlgItem(IDC_TEST_LABEL, dlg.m_hWnd));
  label.SetBackground(RGB(0, 0, 0), 0, false).SetTextColour(RGB(0, 255, 0)).SetLabelText(L"█████");
  wchar_t text[16];
  GetWindowTextW(label.m_hWnd, text, 16);
  EXPECT_STREQ(L"█████", text);
  EXPECT_EQ(RGB(0, 0, 0), PixelOf(label.m_hWnd, ClientSize(label.m_hWnd).cx - 1, 0));

  auto has_green = [&] {
    const SIZE size = ClientSize(label.m_hWnd);
    for (int x = 0; x < 30; ++x)
      if (PixelOf(label.m_hWnd, x, size.cy / 2) == RGB(0, 255, 0)) return true;
    return false;
  };
  EXPECT_TRUE(has_green());
  // Blinking: the hidden phase draws the text in the background colour; a tick shows it.
  label.SetTextFlash(true);
  RedrawWindow(label.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_FALSE(has_green());
  SendMessageW(label.m_hWnd, WM_TIMER, CLabel::kFlashTimerId, 0);
  EXPECT_TRUE(has_green());
  label.SetTextFlash(false);

  label.SetWebLink(true, true);
  EXPECT_TRUE(GetWindowLongPtrW(label.m_hWnd, GWL_STYLE) & SS_NOTIFY);
  SendMessageW(label.m_hWnd, WM_LBUTTONDOWN, 0, MAKELPARAM(1, 1));
  ASSERT_EQ(1u, dlg.notifications.size());
  EXPECT_EQ(CLabel::kClickNotification, dlg.notifications[0].code);
  EXPECT_EQ(static_cast<UINT_PTR>(IDC_TEST_LABEL), dlg.notifications[0].idFrom);
  EXPECT_EQ(label.m_hWnd, dlg.notifications[0].hwndFrom);
  label.SetWebLink(false, false);
  EXPECT_FALSE(GetWindowLongPtrW(label.m_hWnd, GWL_STYLE) & SS_NOTIFY);
}

TEST(Label, FontSettersAndLongFaceName) {
  TestDialog dlg;
  CLabel label;
  ASSERT_TRUE(label.SubclassDlgItem(IDC_TEST_LABEL, dlg.m_hWnd));
  EXPECT_NE(0, label.m_lf.lfHeight);  // taken from the dialog's font
  label.SetFontBold(true).SetFontItalic(true).SetFontUnderline(true).SetRotation(90, true);
  EXPECT_EQ(FW_BOLD, label.m_lf.lfWeight);
  EXPECT_EQ(900, label.m_lf.lfEscapement);
  EXPECT_EQ(900, label.m_lf.lfOrientation);
  label.SetFontFace(std::wstring(40, L'x'), GB2312_CHARSET);
  EXPECT_EQ(31u, wcslen(label.m_lf.lfFaceName));
  EXPECT_EQ(GB2312_CHARSET, label.m_lf.lfCharSet);
  EXPECT_TRUE(label.m_font);
}

// A 32-bit top-down picture as a bitmap, from a pixel function.
template <class Colour>
HBITMAP MakeBitmap(int w, int h, Colour colour_at) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  auto* px = static_cast<DWORD*>(bits);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const COLORREF c = colour_at(x, y);
      px[y * w + x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    }
  return bitmap;
}

TEST(BitmapToRegion, EdgeCases) {
  EXPECT_EQ(nullptr, BitmapToRegion(nullptr));
  RECT box;
  HBITMAP magenta = MakeBitmap(20, 10, [](int, int) { return RGB(255, 0, 255); });
  HRGN empty = BitmapToRegion(magenta);
  ASSERT_NE(nullptr, empty);
  EXPECT_EQ(NULLREGION, GetRgnBox(empty, &box));
  DeleteObject(empty);
  DeleteObject(magenta);

  HBITMAP almost = MakeBitmap(20, 10, [](int x, int) { return x % 2 ? RGB(254, 0, 255) : RGB(255, 1, 255); });
  HRGN whole = BitmapToRegion(almost);
  HRGN rect = CreateRectRgn(0, 0, 20, 10);
  EXPECT_TRUE(EqualRgn(whole, rect));
  DeleteObject(rect);
  DeleteObject(whole);
  DeleteObject(almost);
}

TEST(BitmapToRegion, ManyRunsGiveTheSameRegionAsOnePiece) {
  HBITMAP checker = MakeBitmap(100, 100, [](int x, int y) { return (x + y) % 2 ? RGB(255, 0, 255) : RGB(1, 2, 3); });
  HRGN region = BitmapToRegion(checker);
  EXPECT_EQ(3, LastRegionBuildStats().region_calls);
  EXPECT_EQ(5000, LastRegionBuildStats().rectangles);
  HRGN reference = CreateRectRgn(0, 0, 0, 0);
  for (int y = 0; y < 100; ++y)
    for (int x = y % 2; x < 100; x += 2) {
      HRGN dot = CreateRectRgn(x, y, x + 1, y + 1);
      CombineRgn(reference, reference, dot, RGN_OR);
      DeleteObject(dot);
    }
  EXPECT_TRUE(EqualRgn(region, reference));
  DeleteObject(reference);
  DeleteObject(region);
  DeleteObject(checker);
}

TEST(DialogUtility, SkinPaintsAndItsRegionLeavesOutTwelveCornerPixels) {
  CDialogUtility skin;
  RECT rc{0, 0, 611, 69};
  EXPECT_FALSE(skin.DrawBackground(GetDC(nullptr), rc));
  ASSERT_TRUE(skin.LoadBackground());
  EXPECT_EQ(611, skin.m_nWidth);
  EXPECT_EQ(69, skin.m_nHeight);
  ASSERT_TRUE(skin.LoadBackground());  // loading again replaces the skin

  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP target = CreateCompatibleBitmap(screen, 611, 69);
  HGDIOBJ old = SelectObject(dc, target);
  EXPECT_TRUE(skin.DrawBackground(dc, rc));
  EXPECT_EQ(RGB(255, 0, 255), GetPixel(dc, 0, 0));
  EXPECT_NE(RGB(255, 0, 255), GetPixel(dc, 2, 0));
  SelectObject(dc, old);
  DeleteObject(target);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);

  HBITMAP bitmap = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_SKIN_BAR));
  ASSERT_NE(nullptr, bitmap);
  HRGN region = BitmapToRegion(bitmap);
  DeleteObject(bitmap);
  ASSERT_NE(nullptr, region);
  std::vector<std::pair<int, int>> missing;
  for (int y = 0; y < 69; ++y)
    for (int x = 0; x < 611; ++x)
      if (!PtInRegion(region, x, y)) missing.push_back({x, y});
  const std::vector<std::pair<int, int>> corners{{0, 0},  {1, 0},    {609, 0}, {610, 0}, {0, 1},    {610, 1},
                                                 {0, 67}, {610, 67}, {0, 68},  {1, 68},  {609, 68}, {610, 68}};
  EXPECT_EQ(corners, missing);
  RECT box;
  GetRgnBox(region, &box);
  EXPECT_EQ(611, box.right);
  EXPECT_EQ(69, box.bottom);
  DeleteObject(region);
}

}  // namespace
