#include "settings/setup_dlg_win.h"

#include <shlobj.h>

#include "app/paths.h"
#include "devices/device_list_win.h"
#include "framework/message_box.h"
#include "framework/message_map.h"
#include "res/resource.h"
#include "platform/text_codepage.h"
#include "region/capture_area_win.h"
#include "settings/settings_store.h"

namespace {

void AddEntry(HWND list, const std::wstring& text) {
  SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Inserted at the end, so that a sorted list keeps the given order.
void InsertEntry(HWND list, const std::wstring& text) {
  SendMessageW(list, CB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
}

void Select(HWND list, int index) { SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0); }

int Selection(HWND list) { return static_cast<int>(SendMessageW(list, CB_GETCURSEL, 0, 0)); }

std::wstring EntryText(HWND list, int index) {
  const LRESULT length = SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return text;
}

std::optional<std::wstring> SelectedText(HWND list) {
  const int index = Selection(list);
  if (index < 0) return std::nullopt;
  return EntryText(list, index);
}

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// In the middle of the primary screen's work area, as dialogs open.
void CentreOnScreen(HWND window) {
  RECT work, rect;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(window, &rect);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  const int left = work.left + (work.right - work.left - width) / 2;
  const int top = work.top + (work.bottom - work.top - height) / 2;
  SetWindowPos(window, nullptr, left, top < work.top ? work.top : top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

bool PathExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The shell's folder browser; the chosen file-system folder, or an empty text.
std::wstring BrowseForFolder() {
  BROWSEINFOW info = {};
  info.lpszTitle = L"选择文件夹：";
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
  PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
  if (!item) return {};
  wchar_t path[MAX_PATH] = {};
  const bool has_path = SHGetPathFromIDListW(item, path);
  CoTaskMemFree(item);
  return has_path ? path : L"";
}

}  // namespace

SetupDlg::SetupDlg(HWND owner) : CDialog(IDD_SETUP_DIALOG, owner) {}

SetupDlg::~SetupDlg() { devices::EndPreview(m_pPreview); }

bool SetupDlg::OnMessage(UINT message, WPARAM wparam, LPARAM, LRESULT& result) {
  static const MessageMap<SetupDlg> map{{},
                                        {
                                            {IDC_SETUP_CAMERA, &SetupDlg::OnCameraChanged},
                                            {IDC_SETUP_BROWSE, &SetupDlg::OnChooseFolder},
                                            {IDC_SETUP_CAMERA_PROPERTIES, &SetupDlg::OnCameraProperties},
                                            {IDC_SETUP_LIVE, &SetupDlg::OnLiveClicked},
                                        }};
  // Of the camera list's notifications only a new selection counts.
  if (message == WM_COMMAND && LOWORD(wparam) == IDC_SETUP_CAMERA && HIWORD(wparam) != CBN_SELCHANGE) return false;
  if (message == kStartPreviewMessage) {
    if (m_strPendingCamera) StartCameraPreview(*m_strPendingCamera);
    m_strPendingCamera.reset();
    return true;
  }
  return map.Dispatch(this, message, wparam, 0, result);
}

BOOL SetupDlg::OnInitDialog() {
  CentreOnScreen(m_hWnd);
  m_pPreview.reset();
  m_nCameraWidth = m_nCameraHeight = 0;
  const SettingsRecord* record = LoadSettings();

  m_editFolder = GetDlgItem(IDC_SETUP_FOLDER);
  m_editLiveUrl = GetDlgItem(IDC_SETUP_LIVE_URL);
  m_comboFormat = GetDlgItem(IDC_SETUP_FORMAT);
  m_comboSize = GetDlgItem(IDC_SETUP_SIZE);
  m_comboVideoBitrate = GetDlgItem(IDC_SETUP_VIDEO_BITRATE);
  m_comboFrameRate = GetDlgItem(IDC_SETUP_FRAME_RATE);
  m_comboCamera = GetDlgItem(IDC_SETUP_CAMERA);
  m_comboSoundSource = GetDlgItem(IDC_SETUP_SOUND_SOURCE);
  m_comboMicrophone = GetDlgItem(IDC_SETUP_MICROPHONE);
  m_comboAudioBitrate = GetDlgItem(IDC_SETUP_AUDIO_BITRATE);

  m_formats = settings::SaveFormatChoices();
  m_soundSources = settings::SoundSourceChoices();
  m_sizes = settings::PictureSizeChoices();
  m_videoBitrates = settings::VideoBitrateChoices();
  m_frameRates = settings::FrameRateChoices();
  m_audioBitrates = settings::AudioBitrateChoices();

  for (const auto& label : m_formats) InsertEntry(m_comboFormat, label);
  Select(m_comboFormat, settings::StoredIndex(record->save_format, static_cast<int>(m_formats.size())));
  for (const auto& size : m_sizes) InsertEntry(m_comboSize, settings::PictureSizeLabel(size));
  Select(m_comboSize, settings::PictureSizeIndex(m_sizes, record->video_width));
  for (const auto& choice : m_videoBitrates) InsertEntry(m_comboVideoBitrate, choice.label);
  Select(m_comboVideoBitrate, settings::ChoiceIndex(m_videoBitrates, record->video_bitrate, 0));
  for (const auto& choice : m_frameRates) InsertEntry(m_comboFrameRate, choice.label);
  Select(m_comboFrameRate, settings::ChoiceIndex(m_frameRates, record->frame_rate, 1));
  for (const auto& choice : m_audioBitrates) InsertEntry(m_comboAudioBitrate, choice.label);
  Select(m_comboAudioBitrate, settings::ChoiceIndex(m_audioBitrates, record->audio_bitrate, 0));
  for (const auto& label : m_soundSources) InsertEntry(m_comboSoundSource, label);
  Select(m_comboSoundSource, settings::StoredIndex(record->sound_source, static_cast<int>(m_soundSources.size())));

  FillDeviceList(m_comboMicrophone, CLSID_AudioInputDeviceCategory, L"virtual-audio-capturer");
  FillDeviceList(m_comboCamera, CLSID_VideoInputDeviceCategory, L"screen-capture-recorder");

  const std::wstring microphone = platform::AnsiToWide(FieldText(record->microphone_name));
  if (!microphone.empty())
    SelectDeviceByPrefix(m_comboMicrophone, microphone);
  else if (SendMessageW(m_comboMicrophone, CB_GETCOUNT, 0, 0) > 0)
    Select(m_comboMicrophone, 0);

  const std::wstring camera = platform::AnsiToWide(FieldText(record->camera_name));
  if (!camera.empty()) {
    SelectDeviceByPrefix(m_comboCamera, camera);
    m_strPendingCamera = camera;
  } else if (SendMessageW(m_comboCamera, CB_GETCOUNT, 0, 0) > 0) {
    Select(m_comboCamera, 0);
    m_strPendingCamera = EntryText(m_comboCamera, 0);
  }
  // The picture starts once the dialog is on the screen: a renderer whose window was still
  // hidden when the graph ran may never present (seen under Wine).
  if (m_strPendingCamera) PostMessageW(m_hWnd, kStartPreviewMessage, 0, 0);

  const std::wstring folder = platform::AnsiToWide(FieldText(record->output_folder));
  SetWindowTextW(m_editFolder, folder.empty() ? GetCommonVideoFolder().c_str() : folder.c_str());
  const std::wstring live_url = platform::AnsiToWide(FieldText(record->live_url));
  if (!live_url.empty()) SetWindowTextW(m_editLiveUrl, live_url.c_str());

  m_bLiveEnabled = record->live_enabled == 1;
  EnableWindow(m_editLiveUrl, m_bLiveEnabled);
  m_bFluencyFirst = record->fluency_first == 1;
  m_bHideAfterStart = record->hide_after_start == 1;
  CheckDlgButton(m_hWnd, IDC_SETUP_HIDE_AFTER_START, m_bHideAfterStart ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(m_hWnd, IDC_SETUP_LIVE, m_bLiveEnabled ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(m_hWnd, IDC_SETUP_FLUENCY_FIRST, m_bFluencyFirst ? BST_CHECKED : BST_UNCHECKED);
  // Not in the settings file: beside the capture area, where the desktop device reads it.
  const bool show_clicks = GetCaptureValue(kShowClicksValue).value_or(0) != 0;
  CheckDlgButton(m_hWnd, IDC_SETUP_SHOW_CLICKS, show_clicks ? BST_CHECKED : BST_UNCHECKED);
  return TRUE;
}

void SetupDlg::FillDeviceList(HWND list, const GUID& category, const wchar_t* excluded) {
  auto names = std::make_unique<devices::DeviceNameList>();
  devices::ListDeviceNames(category, *names);
  std::vector<std::wstring> listed(names->names, names->names + names->count);
  for (const auto& name : settings::OfferedDeviceNames(listed, excluded)) AddEntry(list, name);
}

void SetupDlg::SelectDeviceByPrefix(HWND list, const std::wstring& prefix) {
  std::vector<std::wstring> entries;
  const int count = static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) entries.push_back(EntryText(list, i));
  Select(list, settings::FindEntryByPrefix(entries, prefix));
}

void SetupDlg::StartCameraPreview(const std::wstring& name) {
  const auto size_step = [this](devices::PreviewGraph& graph) {
    const devices::CaptureSize chosen =
        devices::ChooseCaptureSize(devices::ListCaptureSizes(graph), {m_nCameraWidth, m_nCameraHeight});
    m_nCameraWidth = chosen.width;
    m_nCameraHeight = chosen.height;
    if (m_nCameraWidth > 0) {
      SetDlgItemTextW(m_hWnd, IDC_SETUP_CAMERA_SIZE,
                      settings::PictureSizeLabel({m_nCameraWidth, m_nCameraHeight}).c_str());
      devices::SetCaptureSize(graph, m_nCameraWidth, m_nCameraHeight);
    }
  };
  // A camera that cannot be opened simply shows no picture.
  devices::StartPreview(m_pPreview, name.c_str(), GetDlgItem(IDC_SETUP_PREVIEW), size_step);
}

void SetupDlg::OnCameraChanged() {
  const std::optional<std::wstring> camera = SelectedText(m_comboCamera);
  if (!camera) return;
  // A new camera starts without a size, so that one camera's size never goes to another.
  m_nCameraWidth = m_nCameraHeight = 0;
  SetDlgItemTextW(m_hWnd, IDC_SETUP_CAMERA_SIZE, L"x");
  StartCameraPreview(*camera);
}

void SetupDlg::OnChooseFolder() {
  // Out of the top-most band, so that the browser can come in front of the dialog.
  SetWindowPos(m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  const std::wstring folder = BrowseForFolder();
  if (!folder.empty()) SetWindowTextW(m_editFolder, settings::TrimTrailingBackslashes(folder).c_str());
}

void SetupDlg::OnCameraProperties() {
  if (m_pPreview) devices::ShowDevicePropertyPages(m_hWnd, m_pPreview->source.get());
}

void SetupDlg::OnLiveClicked() {
  EnableWindow(m_editLiveUrl, IsDlgButtonChecked(m_hWnd, IDC_SETUP_LIVE) == BST_CHECKED);
}

void SetupDlg::OnOK() {
  SettingsRecord* record = LoadSettings();
  m_bHideAfterStart = IsDlgButtonChecked(m_hWnd, IDC_SETUP_HIDE_AFTER_START) == BST_CHECKED;
  m_bLiveEnabled = IsDlgButtonChecked(m_hWnd, IDC_SETUP_LIVE) == BST_CHECKED;
  m_bFluencyFirst = IsDlgButtonChecked(m_hWnd, IDC_SETUP_FLUENCY_FIRST) == BST_CHECKED;

  settings::SetupChoices choices;
  choices.folder = WindowText(m_editFolder);
  choices.format_index = Selection(m_comboFormat);
  choices.size_index = Selection(m_comboSize);
  choices.video_bitrate_index = Selection(m_comboVideoBitrate);
  choices.frame_rate_index = Selection(m_comboFrameRate);
  choices.audio_bitrate_index = Selection(m_comboAudioBitrate);
  choices.sound_source_index = Selection(m_comboSoundSource);
  choices.camera = SelectedText(m_comboCamera);
  choices.microphone = SelectedText(m_comboMicrophone);
  choices.camera_width = m_nCameraWidth;
  choices.camera_height = m_nCameraHeight;
  choices.hide_after_start = m_bHideAfterStart != 0;
  choices.live_enabled = m_bLiveEnabled != 0;
  choices.live_url = WindowText(m_editLiveUrl);
  choices.fluency_first = m_bFluencyFirst != 0;

  if (const auto refusal = settings::StoreSetupChoices(choices, *record, PathExists)) {
    ShowMessageBox(m_hWnd, refusal->message);
    if (refusal->focus_folder) SetFocus(m_editFolder);
    return;
  }
  SaveSettings(record);  // a file that cannot be written leaves the new values in memory
  SetCaptureValue(kShowClicksValue, IsDlgButtonChecked(m_hWnd, IDC_SETUP_SHOW_CLICKS) == BST_CHECKED ? 1 : 0);
  devices::EndPreview(m_pPreview);
  EndDialog(IDOK);
}

void SetupDlg::OnCancel() {
  devices::EndPreview(m_pPreview);
  EndDialog(IDCANCEL);
}
