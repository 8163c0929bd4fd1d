#include "controls/dpi_scale.h"

#include <algorithm>

int UsableDpi(int reported_dpi) {
  if (reported_dpi <= 0) return kDesignDpi;
  return std::clamp(reported_dpi, kSmallestDpi, kLargestDpi);
}

int32_t ScaleForDpi(int32_t value, int dpi) {
  const int64_t scaled = int64_t{value} * dpi;
  const int64_t half = kDesignDpi / 2;
  return static_cast<int32_t>(scaled >= 0 ? (scaled + half) / kDesignDpi : -((-scaled + half) / kDesignDpi));
}

int32_t FontHeightForDpi(int points, int dpi) {
  // A point is 1/72 inch.
  return -static_cast<int32_t>((int64_t{points} * dpi + 36) / 72);
}
