// The camera window's position file with any bytes: a position read is a usable window, and
// written back it reads back the same.
#include "devices/camera_position.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring path = ScratchFile("vw1.cfg", data, size);
  const std::optional<devices::Box> rect = devices::ReadCameraPosition(path);
  if (!rect) return 0;
  FUZZ_CHECK(int64_t{rect->right} - rect->left > 32 && int64_t{rect->bottom} - rect->top > 32, "window too small");
  FUZZ_CHECK(devices::WriteCameraPosition(path, *rect), "write");
  const std::optional<devices::Box> again = devices::ReadCameraPosition(path);
  FUZZ_CHECK(again && *again == *rect, "position changed on the way back");
  return 0;
}
