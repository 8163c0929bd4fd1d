#pragma once
// The settings dialog "设置": every field of the settings record, with the installed cameras
// and microphones, a live picture of the chosen camera and the size chosen for it. OK checks
// and stores the fields in place and writes the settings file; Cancel touches nothing.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "devices/preview_graph_win.h"
#include "framework/dialog.h"
#include "settings/setup_rules.h"

class SetupDlg : public CDialog {
 public:
  explicit SetupDlg(HWND owner = nullptr);
  ~SetupDlg() override;

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

 private:
  void OnCameraChanged();
  void OnChooseFolder();
  void OnCameraProperties();
  void OnLiveClicked();
  void StartCameraPreview(const std::wstring& name);
  void FillDeviceList(HWND list, const GUID& category, const wchar_t* excluded);
  void SelectDeviceByPrefix(HWND list, const std::wstring& prefix);

  HWND m_editFolder = nullptr;
  HWND m_editLiveUrl = nullptr;
  HWND m_comboFormat = nullptr;
  HWND m_comboSize = nullptr;
  HWND m_comboVideoBitrate = nullptr;
  HWND m_comboFrameRate = nullptr;
  HWND m_comboCamera = nullptr;
  HWND m_comboSoundSource = nullptr;
  HWND m_comboMicrophone = nullptr;
  HWND m_comboAudioBitrate = nullptr;
  int m_bHideAfterStart = 0;
  int m_bLiveEnabled = 0;
  int m_bFluencyFirst = 0;

  std::vector<std::wstring> m_formats;
  std::vector<std::wstring> m_soundSources;
  std::vector<settings::PictureSize> m_sizes;
  std::vector<settings::Choice> m_videoBitrates;
  std::vector<settings::Choice> m_frameRates;
  std::vector<settings::Choice> m_audioBitrates;

  static constexpr UINT kStartPreviewMessage = WM_APP + 1;
  std::optional<std::wstring> m_strPendingCamera;
  std::unique_ptr<devices::PreviewGraph> m_pPreview;
  int32_t m_nCameraWidth = 0;
  int32_t m_nCameraHeight = 0;
};
