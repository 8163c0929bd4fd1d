#include "devices/capture_size_rules.h"

namespace devices {

CaptureSize ChooseCaptureSize(const std::vector<CaptureSize>& sizes, CaptureSize current) {
  CaptureSize choice = current;
  for (const CaptureSize& size : sizes) {
    if (size == CaptureSize{1280, 720} || size == CaptureSize{1920, 1080}) return size;
    if (size.height >= 720 && size.width > size.height) choice = size;
  }
  return choice;
}

Box FitPicture(int32_t cw, int32_t ch, int32_t vw, int32_t vh) {
  // 64-bit products: a 4K picture in a large window overflows 32 bits.
  if (int64_t{vw} * ch > int64_t{cw} * vh) {
    const auto h = static_cast<int32_t>(int64_t{vh} * cw / vw);
    const int32_t top = (ch - h) / 2;
    return {0, top, cw, top + h};
  }
  const auto w = static_cast<int32_t>(vh ? int64_t{vw} * ch / vh : 0);
  const int32_t left = (cw - w) / 2;
  return {left, 0, left + w, ch};
}

}  // namespace devices
