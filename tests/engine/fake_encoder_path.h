#pragma once
// The fake encoder is built next to the test programs.
#include <string>

#include "app/paths.h"
#include "platform/text_codepage.h"

inline std::string FakeEncoderCommand(const std::string& arguments) {
#ifdef _WIN32
  const std::string program = platform::WideToAnsi(GetProgramFolder()) + "fake_encoder.exe";
#else
  const std::string program = platform::WideToAnsi(GetProgramFolder()) + "fake_encoder";
#endif
  return "\"" + program + "\" " + arguments;
}
