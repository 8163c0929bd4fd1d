#include "capture_devices/rules/loopback_stand_in.h"

namespace capture {

std::vector<std::wstring> LoopbackStandInNames(const std::wstring& output_name, bool loopback_refused) {
  if (output_name.empty()) return {};
  std::vector<std::wstring> names = {L"Monitor of " + output_name};
  if (loopback_refused) names.push_back(output_name);
  return names;
}

}  // namespace capture
