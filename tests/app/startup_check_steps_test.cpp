#include "app/startup_check_steps.h"

#include <gtest/gtest.h>

namespace {

// Runs ticks from 1 until the plan stops ticking or ends; returns the whole log and the last plan.
std::wstring RunCheck(bool encoder, bool devices, CheckTickPlan& last, int& device_tests) {
  std::wstring log;
  for (int step = 1; step <= 10; ++step) {
    last = PlanCheckTick(
        step, [&] { return encoder; }, [&] { return ++device_tests, devices; });
    for (const CheckLogEntry& entry : last.log) log += entry.text + entry.suffix;
    if (last.end_dialog || last.next_tick_ms == 0) break;
  }
  return log;
}

TEST(StartupCheck, PassingRunLogsFourLinesAndEndsAfterFiveSecondsOfTicks) {
  CheckTickPlan last;
  int device_tests = 0;
  int total_ms = 0;
  for (int step = 1; step <= 3; ++step)
    total_ms += PlanCheckTick(
                    step, [] { return true; }, [] { return true; })
                    .next_tick_ms;
  EXPECT_EQ(total_ms, 5000);
  EXPECT_EQ(RunCheck(true, true, last, device_tests),
            L"检查系统...\r\n验证安装文件...通过!\r\n系统检查完毕!\r\n正在启动主程序...\r\n");
  EXPECT_TRUE(last.end_dialog);
  EXPECT_EQ(device_tests, 1);
}

TEST(StartupCheck, MissingEncoderStopsWithoutTestingDevices) {
  CheckTickPlan last;
  int device_tests = 0;
  EXPECT_EQ(RunCheck(false, true, last, device_tests),
            L"检查系统...\r\n验证安装文件...\r\n系统缺少关键的运行文件！\r\n请按指导正确安装后再次运行！\r\n");
  EXPECT_TRUE(last.failed);
  EXPECT_FALSE(last.passed || last.end_dialog);
  EXPECT_EQ(device_tests, 0);
}

TEST(StartupCheck, MissingDeviceStopsBetweenTwoRules) {
  CheckTickPlan last;
  int device_tests = 0;
  const std::wstring rule = L"///////////////////////////////////////////\r\n";
  EXPECT_EQ(
      RunCheck(true, false, last, device_tests),
      L"检查系统...\r\n验证安装文件..." + rule + L"缺少关键的库文件！\r\n请按指导正确安装后再次运行！\r\n" + rule);
  EXPECT_TRUE(last.failed);
  EXPECT_EQ(last.next_tick_ms, 0);
}

TEST(StartupCheck, DevicesFoundByCaseSensitiveSubstringInEitherOrder) {
  const std::vector<std::wstring> audio = {L"Mic", L"my virtual-audio-capturer 2"};
  EXPECT_TRUE(CaptureDevicesComplete(audio, {L"Cam", L"screen-capture-recorder"}));
  EXPECT_TRUE(CaptureDevicesComplete({L"virtual-audio-capturer"}, {L"xscreen-capture-recorderx", L"Cam"}));
  EXPECT_FALSE(CaptureDevicesComplete(audio, {L"Screen-Capture-Recorder"}));
  EXPECT_FALSE(CaptureDevicesComplete({}, {L"screen-capture-recorder"}));
  EXPECT_FALSE(CaptureDevicesComplete(audio, {}));
}

}  // namespace
