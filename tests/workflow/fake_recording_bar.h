#pragma once
// A control bar that remembers what the recording workflow made it show and do: the
// current look of every part, and every call in order (as UTF-8 lines) for the tests that
// care about order.
#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/recording_workflow.h"
#include "platform/utf8.h"

class FakeRecordingBar : public RecordingBar {
 public:
  struct Run {
    std::string command_line;
    unsigned notify_message;
    int32_t run_state_at_start;  // the workflow's state when the launcher starts
    int stop_requests = 0;
  };

  // What the workflow reads.
  SettingsRecord settings{};
  std::tm now{};
  std::map<std::wstring, int64_t> files;  // path to size
  std::set<std::wstring> cut_files;       // files that end before their structure does
  bool launcher_starts = true;
  const RecordingWorkflow* workflow = nullptr;

  // What the workflow did.
  std::vector<Run> runs;
  int stray_stop_requests = 0;  // stop requests while there was no run
  std::vector<std::wstring> messages;
  std::vector<std::wstring> deleted;
  int settings_dialogs = 0;
  std::vector<bool> slides;  // true: hide
  int repaints = 0;
  std::vector<std::string> log;
  // The recording note, while there is one: the recording and the final file.
  std::optional<std::pair<std::wstring, std::wstring>> note;
  // The microphone the system sound device was last told to mix; nullopt: never told.
  std::optional<std::wstring> mixed_microphone;

  // How the bar looks now.
  std::wstring status;
  bool status_error = false;
  int32_t led_colour = 0;
  bool led_blinking = false;
  std::wstring start_bitmap;
  std::wstring start_tooltip;
  bool start_enabled = true;
  bool area_enabled = true;
  std::wstring area_bitmap = L"skin\\area.bmp";
  std::wstring area_tooltip;
  bool capture_paused = false;
  bool frame_locked = false;
  uint32_t frame_corner = 0;

  const SettingsRecord& Settings() override { return settings; }
  std::tm LocalTime() override { return now; }
  int64_t FileSize(const std::wstring& path) override {
    auto found = files.find(path);
    return found == files.end() ? -1 : found->second;
  }
  bool IsCompleteMediaFile(const std::wstring& path) override {
    return FileSize(path) > 0 && cut_files.count(path) == 0;
  }
  void RemoveFile(const std::wstring& path) override {
    Log("delete " + platform::WideToUtf8(path));
    deleted.push_back(path);
    files.erase(path);
  }
  bool StartEncoderRun(const std::string& command_line, unsigned notify_message) override {
    Log("run " + std::to_string(notify_message));
    if (!launcher_starts) return false;
    runs.push_back({command_line, notify_message, workflow ? workflow->RunState() : -1});
    return true;
  }
  void RequestStop() override {
    Log("stop");
    if (runs.empty()) {
      ++stray_stop_requests;
    } else {
      ++runs.back().stop_requests;
    }
  }
  void WriteRecordingNote(const std::wstring& recording_file, const std::wstring& final_file) override {
    Log("note " + platform::WideToUtf8(recording_file));
    note.emplace(recording_file, final_file);
  }
  void RemoveRecordingNote() override {
    if (note) Log("note removed");
    note.reset();
  }
  void SetMixedMicrophone(const std::wstring& friendly_name) override {
    Log("mix " + platform::WideToUtf8(friendly_name));
    mixed_microphone = friendly_name;
  }
  void ShowMessage(const std::wstring& text) override {
    Log("message " + platform::WideToUtf8(text));
    messages.push_back(text);
  }
  void OpenSettingsDialog() override {
    Log("settings dialog");
    ++settings_dialogs;
  }
  void SetStatusText(const std::wstring& text, bool error) override {
    Log("status " + platform::WideToUtf8(text) + (error ? " red" : " green"));
    status = text;
    status_error = error;
  }
  void ConfigureLed(int32_t colour_code) override {
    Log("led " + std::to_string(colour_code));
    led_colour = colour_code;
    led_blinking = true;
  }
  void HoldSteady() override {
    Log("led steady");
    led_blinking = false;
  }
  void SetStartButtonBitmap(const std::wstring& skin_file) override {
    Log("bitmap " + platform::WideToUtf8(skin_file));
    start_bitmap = skin_file;
  }
  void SetStartButtonToolTip(const std::wstring& text) override { start_tooltip = text; }
  void EnableStartButton(bool enable) override { start_enabled = enable; }
  void EnableAreaButton(bool enable) override { area_enabled = enable; }
  void SetAreaButtonLook(const std::wstring& skin_file, const std::wstring& tooltip) override {
    area_bitmap = skin_file;
    area_tooltip = tooltip;
  }
  bool SetCapturePaused(bool paused) override {
    Log(paused ? "capture paused" : "capture goes on");
    capture_paused = paused;
    return true;
  }
  void RepaintStartButton() override {
    Log("repaint");
    ++repaints;
  }
  void SetFrameLocked(bool locked, uint32_t corner_colour) override {
    frame_locked = locked;
    frame_corner = corner_colour;
  }
  void SlideBar(bool hide) override {
    Log(hide ? "slide hide" : "slide show");
    slides.push_back(hide);
  }

  // Position of the first log line equal to line, or -1.
  int Find(const std::string& line) const {
    auto found = std::find(log.begin(), log.end(), line);
    return found == log.end() ? -1 : static_cast<int>(found - log.begin());
  }
  int FindLast(const std::string& line) const {
    auto found = std::find(log.rbegin(), log.rend(), line);
    return found == log.rend() ? -1 : static_cast<int>(log.rend() - found) - 1;
  }
  bool Logged(const std::string& line) const { return Find(line) >= 0; }

 private:
  void Log(const std::string& line) { log.push_back(line); }
};
