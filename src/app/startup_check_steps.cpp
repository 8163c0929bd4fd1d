#include "app/startup_check_steps.h"

namespace {
const wchar_t kCrLf[] = L"\r\n";
const wchar_t kRule[] = L"///////////////////////////////////////////";  // 43 slashes
const wchar_t kReinstall[] = L"请按指导正确安装后再次运行！";
}  // namespace

CheckTickPlan PlanCheckTick(int step, const std::function<bool()>& encoder_present,
                            const std::function<bool()>& devices_present) {
  CheckTickPlan plan;
  switch (step) {
    case 1:
      plan.log = {{L"检查系统...", kCrLf}};
      plan.next_tick_ms = 1000;
      break;
    case 2:
      // The outcome continues the line "验证安装文件...".
      plan.log = {{L"验证安装文件...", L""}};
      if (!encoder_present()) {
        plan.failed = true;
        plan.log.insert(plan.log.end(), {{L"", kCrLf}, {L"系统缺少关键的运行文件！", kCrLf}, {kReinstall, kCrLf}});
      } else if (!devices_present()) {
        plan.failed = true;
        plan.log.insert(plan.log.end(),
                        {{kRule, kCrLf}, {L"缺少关键的库文件！", kCrLf}, {kReinstall, kCrLf}, {kRule, kCrLf}});
      } else {
        plan.log.push_back({L"通过!", kCrLf});
        plan.next_tick_ms = 2000;
      }
      break;
    case 3:
      plan.log = {{L"系统检查完毕!", kCrLf}, {L"正在启动主程序...", kCrLf}};
      plan.passed = true;
      plan.next_tick_ms = 2000;
      break;
    default:
      plan.end_dialog = true;
      break;
  }
  return plan;
}

bool HasDeviceNamed(const std::vector<std::wstring>& names, const std::wstring& device) {
  for (const std::wstring& name : names) {
    if (name.find(device) != std::wstring::npos) return true;
  }
  return false;
}

bool CaptureDevicesComplete(const std::vector<std::wstring>& audio_names,
                            const std::vector<std::wstring>& video_names) {
  return HasDeviceNamed(audio_names, L"virtual-audio-capturer") &&
         HasDeviceNamed(video_names, L"screen-capture-recorder");
}
