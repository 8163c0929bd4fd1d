// The skin gallery: the bar skin shaped by its bitmap, every button strip in its three
// looks, the lamp in both colours and shades, and labels with a gradient, transparency,
// 3D text and rotation, all as real windows.
//
//   skin_gallery.exe [LAYOUT_FILE]
// With a layout file, the gallery writes the screen rectangle of every piece to it once
// everything is drawn, and ends when LAYOUT_FILE.done appears (or after a minute).
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bar/dialog_utility_win.h"
#include "controls/dynamic_led_win.h"
#include "controls/hover_button_win.h"
#include "controls/label_win.h"
#include "framework/dialog.h"
#include "framework/win_app.h"
#include "gallery_res.h"
#include "res/resource.h"

namespace {

constexpr COLORREF kGalleryBackground = RGB(222, 226, 232);
constexpr COLORREF kPanel = RGB(30, 34, 42);
constexpr RECT kTransparentPanel{560, 470, 880, 520};
constexpr UINT_PTR kTimerLayout = 1;
constexpr UINT_PTR kTimerDone = 2;

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

std::wstring SkinFile(const wchar_t* name) { return ProgramFolder() + L"skin\\" + name + L".bmp"; }

RECT ScreenRect(HWND hwnd) {
  RECT rc{};
  GetWindowRect(hwnd, &rc);
  return rc;
}

// The bar as the program shows it: skin background, bitmap region, buttons, lamp, status.
class CGalleryBar : public CDialog, public CDialogUtility {
 public:
  explicit CGalleryBar(HWND owner) : CDialog(IDD_GALLERY_BAR, owner) {}

  CHoverButton m_btnStart, m_btnArea, m_btnCamera, m_btnFiles, m_btnSetup, m_btnAbout, m_btnStop, m_btnClose;
  CDynamicLED m_ledState;
  CLabel m_lblStatus;

 protected:
  BOOL OnInitDialog() override {
    LoadBackground();
    SetWindowPos(m_hWnd, nullptr, 40, 24, m_nWidth, m_nHeight, SWP_NOZORDER);
    if (HBITMAP bitmap = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_SKIN_BAR))) {
      SetWindowRgn(m_hWnd, BitmapToRegion(bitmap), TRUE);
      DeleteObject(bitmap);
    }
    const struct {
      CHoverButton* button;
      int id;
      const wchar_t* skin;
    } buttons[] = {{&m_btnStart, IDC_BAR_START, L"start"}, {&m_btnStop, IDC_BAR_STOP, L"stop"},
                   {&m_btnCamera, IDC_BAR_CAMERA, L"cam"}, {&m_btnSetup, IDOK, L"setup"},
                   {&m_btnClose, IDCANCEL, L"close"},      {&m_btnFiles, IDC_BAR_FILES, L"files"},
                   {&m_btnArea, IDC_BAR_AREA, L"area"},    {&m_btnAbout, IDC_BAR_ABOUT, L"info"}};
    for (const auto& b : buttons) {
      b.button->SubclassDlgItem(b.id, m_hWnd);
      b.button->LoadStripBitmap(SkinFile(b.skin));
    }
    m_lblStatus.SubclassDlgItem(IDC_BAR_STATUS, m_hWnd);
    m_lblStatus.SetBackground(RGB(0, 0, 0), RGB(0, 0, 0), false)
        .SetTextColour(RGB(0, 255, 0))
        .SetTransparentBackground(true)
        .SetLabelText(L"就绪 - 全屏模式");
    RECT client{};
    GetClientRect(m_hWnd, &client);
    RECT close{};
    GetClientRect(m_btnClose.m_hWnd, &close);
    SetWindowPos(m_btnClose.m_hWnd, nullptr, client.right - close.right - 4, client.top + 4, close.right, close.bottom,
                 SWP_NOZORDER);
    m_ledState.ConfigureLed(GetDlgItem(IDC_BAR_LED), kLedGreen);
    m_ledState.HoldSteady();
    return TRUE;
  }

  bool OnMessage(UINT message, WPARAM wparam, LPARAM, LRESULT& result) override {
    if (message != WM_ERASEBKGND) return false;
    RECT rc{};
    GetClientRect(m_hWnd, &rc);
    result = DrawBackground(reinterpret_cast<HDC>(wparam), rc);
    return result != FALSE;
  }
  void OnOK() override {}
  void OnCancel() override {}
};

class CGalleryDlg : public CDialog {
 public:
  explicit CGalleryDlg(std::wstring layout_file) : CDialog(IDD_GALLERY), m_strLayoutFile(std::move(layout_file)) {}

 protected:
  BOOL OnInitDialog() override {
    SetWindowPos(m_hWnd, nullptr, 0, 0, 1000, 600, SWP_NOZORDER);
    m_hFont = reinterpret_cast<HFONT>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
    CreateButtonRows();
    CreateLamps();
    CreateLabels();
    m_pBar = std::make_unique<CGalleryBar>(m_hWnd);
    m_pBar->Create();
    SetTimer(m_hWnd, kTimerLayout, 1500, nullptr);
    return TRUE;
  }

  bool OnMessage(UINT message, WPARAM wparam, LPARAM, LRESULT& result) override {
    switch (message) {
      case WM_ERASEBKGND:
        PaintBackground(reinterpret_cast<HDC>(wparam));
        result = 1;
        return true;
      case WM_TIMER:
        OnTimer(wparam);
        result = 0;
        return true;
      default:
        return false;
    }
  }
  void OnOK() override {}

 private:
  static constexpr const wchar_t* kStrips[] = {L"start", L"stop",  L"area", L"cam",  L"camed",
                                               L"files", L"setup", L"info", L"close"};
  static constexpr const wchar_t* kLooks[] = {L"normal", L"pressed", L"hover"};
  static int StripX(int i) { return 130 + i * 90; }
  static int LookY(int look) { return 140 + look * 56; }

  HWND CreateChild(const wchar_t* window_class, DWORD style, int x, int y, int w, int h) {
    HWND hwnd =
        CreateWindowExW(0, window_class, L"", WS_CHILD | WS_VISIBLE | style, x, y, w, h, m_hWnd,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(m_nNextId++)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont), FALSE);
    return hwnd;
  }

  void CreateButtonRows() {
    for (int i = 0; i < 9; ++i) {
      for (int look = 0; look < 3; ++look) {
        auto button = std::make_unique<CHoverButton>();
        button->SubclassWindow(CreateChild(L"BUTTON", BS_PUSHBUTTON, StripX(i), LookY(look), 10, 10));
        button->LoadStripBitmap(SkinFile(kStrips[i]));
        if (look == 1) SendMessageW(button->m_hWnd, BM_SETSTATE, TRUE, 0);
        if (look == 2) SendMessageW(button->m_hWnd, WM_MOUSEHOVER, 0, 0);
        m_layout.push_back({L"button " + std::wstring(kStrips[i]) + L" " + kLooks[look], button->m_hWnd});
        m_buttons.push_back(std::move(button));
      }
    }
  }

  void CreateLamps() {
    const struct {
      int colour;
      bool bright;
      const wchar_t* name;
    } lamps[] = {{kLedRed, true, L"led red bright"},
                 {kLedRed, false, L"led red dark"},
                 {kLedGreen, true, L"led green bright"},
                 {kLedGreen, false, L"led green dark"}};
    int x = 130;
    for (const auto& l : lamps) {
      auto led = std::make_unique<CDynamicLED>();
      HWND lamp = CreateChild(L"STATIC", SS_LEFT, x, 330, 20, 20);
      led->ConfigureLed(lamp, l.colour);  // a new lamp draws the dark shade first
      if (l.bright) led->ConfigureLed(lamp, l.colour);
      led->HoldSteady();
      m_layout.push_back({l.name, lamp});
      m_leds.push_back(std::move(led));
      x += 90;
    }
  }

  CLabel& AddLabel(const wchar_t* name, DWORD style, int x, int y, int w, int h) {
    auto label = std::make_unique<CLabel>();
    label->SubclassWindow(CreateChild(L"STATIC", style, x, y, w, h));
    m_layout.push_back({name, label->m_hWnd});
    m_labels.push_back(std::move(label));
    return *m_labels.back();
  }

  void CreateLabels() {
    AddLabel(L"label gradient-red", SS_LEFT | SS_CENTERIMAGE, 130, 400, 250, 26)
        .SetBackground(RGB(0, 0, 0), RGB(255, 0, 0), true)
        .SetTextColour(RGB(255, 255, 255))
        .SetFontBold(true)
        .SetLabelText(L"渐变背景 Gradient");
    AddLabel(L"label gradient-teal", SS_LEFT | SS_CENTERIMAGE, 130, 440, 250, 26)
        .SetBackground(RGB(20, 40, 90), RGB(40, 200, 190), true)
        .SetTextColour(RGB(255, 255, 255))
        .SetHighlightColour(RGB(0, 0, 0))
        .Set3DText(true, 1)
        .SetLabelText(L"立体阴影 3D shadow");
    AddLabel(L"label 3d", SS_LEFT | SS_CENTERIMAGE, 130, 480, 250, 34)
        .SetBackground(RGB(236, 238, 242), 0, false)
        .SetTextColour(RGB(40, 44, 52))
        .SetHighlightColour(RGB(255, 255, 255))
        .SetFontPoints(16)
        .SetFontBold(true)
        .Set3DText(true, 1)
        .SetLabelText(L"立体文字 3D");
    AddLabel(L"label transparent", SS_LEFT, kTransparentPanel.left + 10, kTransparentPanel.top + 14, 290, 22)
        .SetTextColour(RGB(0, 255, 0))
        .SetTransparentBackground(true)
        .SetLabelText(L"就绪 - 全屏模式 (透明)");
    AddLabel(L"label rotated", SS_LEFT, 420, 390, 120, 120)
        .SetBackground(RGB(50, 56, 68), 0, false)
        .SetTextColour(RGB(255, 200, 80))
        .SetFontPoints(14)
        .SetRotation(45, true)
        .SetLabelText(L"旋转 45°");
  }

  void PaintBackground(HDC dc) {
    RECT rc{};
    GetClientRect(m_hWnd, &rc);
    HBRUSH background = CreateSolidBrush(kGalleryBackground);
    FillRect(dc, &rc, background);
    DeleteObject(background);
    HBRUSH panel = CreateSolidBrush(kPanel);
    FillRect(dc, &kTransparentPanel, panel);
    DeleteObject(panel);

    HGDIOBJ old_font = SelectObject(dc, m_hFont);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(60, 66, 78));
    auto text = [&](int x, int y, const std::wstring& s) { TextOutW(dc, x, y, s.c_str(), static_cast<int>(s.size())); };
    for (int i = 0; i < 9; ++i) text(StripX(i), LookY(0) - 22, kStrips[i]);
    const wchar_t* look_names[] = {L"正常", L"按下", L"悬停"};
    for (int look = 0; look < 3; ++look) text(40, LookY(look) + 10, look_names[look]);
    text(40, 332, L"指示灯");
    text(40, 404, L"标签");
    SelectObject(dc, old_font);
  }

  static std::wstring Entry(const std::wstring& name, HWND hwnd) {
    const RECT rc = ScreenRect(hwnd);
    return name + L" " + std::to_wstring(rc.left) + L" " + std::to_wstring(rc.top) + L" " +
           std::to_wstring(rc.right - rc.left) + L" " + std::to_wstring(rc.bottom - rc.top);
  }

  void WriteLayout() {
    if (m_strLayoutFile.empty()) return;
    std::vector<std::wstring> lines;
    for (const auto& [name, hwnd] : m_layout) lines.push_back(Entry(name, hwnd));
    lines.push_back(Entry(L"bar", m_pBar->m_hWnd));
    lines.push_back(Entry(L"bar-button area", m_pBar->m_btnArea.m_hWnd));
    lines.push_back(L"panel " + std::to_wstring(kTransparentPanel.left) + L" " +
                    std::to_wstring(kTransparentPanel.top) + L" " +
                    std::to_wstring(kTransparentPanel.right - kTransparentPanel.left) + L" " +
                    std::to_wstring(kTransparentPanel.bottom - kTransparentPanel.top));
    std::string out;
    for (const std::wstring& line : lines) out += std::string(line.begin(), line.end()) + "\n";
    // Written whole under a temporary name, then renamed: a reader never sees half a file.
    const std::wstring partial = m_strLayoutFile + L".part";
    if (FILE* f = _wfopen(partial.c_str(), L"wb")) {
      fwrite(out.data(), 1, out.size(), f);
      fclose(f);
      MoveFileExW(partial.c_str(), m_strLayoutFile.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
  }

  void OnTimer(WPARAM id) {
    if (id == kTimerLayout) {
      KillTimer(m_hWnd, kTimerLayout);
      WriteLayout();
      if (!m_strLayoutFile.empty()) SetTimer(m_hWnd, kTimerDone, 100, nullptr);
      return;
    }
    const bool done = GetFileAttributesW((m_strLayoutFile + L".done").c_str()) != INVALID_FILE_ATTRIBUTES;
    if (done || ++m_nDoneChecks > 600) EndDialog(IDOK);
  }

  std::wstring m_strLayoutFile;
  HFONT m_hFont = nullptr;
  int m_nNextId = 2000;
  int m_nDoneChecks = 0;
  std::vector<std::pair<std::wstring, HWND>> m_layout;  // pieces to report
  std::vector<std::unique_ptr<CHoverButton>> m_buttons;
  std::vector<std::unique_ptr<CDynamicLED>> m_leds;
  std::vector<std::unique_ptr<CLabel>> m_labels;
  std::unique_ptr<CGalleryBar> m_pBar;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  CWinApp::SetInstance(instance);
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::wstring layout_file = argc > 1 ? argv[1] : L"";
  LocalFree(argv);
  CGalleryDlg gallery(layout_file);
  gallery.DoModal();
  return 0;
}
