#include "controls/label_paint_rules.h"

#include <algorithm>

std::vector<GradientBand> GradientBands(int left, int right, Colour start, Colour end) {
  const int width = right - left;
  const int bands = std::min(width, 100);
  std::vector<GradientBand> result;
  if (bands <= 0) return result;
  const int divisor = bands > 1 ? bands : 1;
  // Fixed point with 8 fraction bits; division truncates toward zero.
  const int step_r = (RedOf(end) - RedOf(start)) * 256 / divisor;
  const int step_g = (GreenOf(end) - GreenOf(start)) * 256 / divisor;
  const int step_b = (BlueOf(end) - BlueOf(start)) * 256 / divisor;
  int r = RedOf(start) * 256, g = GreenOf(start) * 256, b = BlueOf(start) * 256;
  const int band_width = width / divisor;
  result.reserve(static_cast<size_t>(bands));
  int band_left = left;
  for (int i = 0; i < bands; ++i) {
    const int band_right = i == bands - 1 ? right : band_left + band_width;
    result.push_back({band_left, band_right, Rgb(r / 256, g / 256, b / 256)});
    band_left = band_right;
    r += step_r;
    g += step_g;
    b += step_b;
  }
  return result;
}

std::uint32_t LabelTextFormat(std::uint32_t style, const std::wstring& text) {
  using namespace text_format;
  std::uint32_t format;
  switch (style & label_style::kTypeMask) {
    case label_style::kCenter:
      format = kCenter | kWordBreak | kSingleLine;  // top-aligned, unlike the others
      break;
    case label_style::kRight:
      format = kRight | kVCenter | kWordBreak | kSingleLine;
      break;
    default:
      format = kLeft | kVCenter | kWordBreak | kSingleLine;
      break;
  }
  if (text.find(L'\t') != std::wstring::npos) format |= kExpandTabs;
  if ((style & label_style::kCenterImage) && text.find(L"\r\n") == std::wstring::npos) {
    format |= kCenter | kVCenter | kSingleLine;
  }
  return format;
}
