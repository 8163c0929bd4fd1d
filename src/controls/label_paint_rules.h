#pragma once
// How the self-drawn label lays out its background gradient and its text.
#include <cstdint>
#include <string>
#include <vector>

#include "controls/colour.h"

struct GradientBand {
  int left;   // inclusive
  int right;  // exclusive
  Colour colour;
};

// A horizontal gradient over [left, right): at most 100 bands of equal integer width,
// the last one reaching the right edge; colours step in 1/256 units per channel and are
// truncated, so the last band need not reach `end` exactly. Width 0 or less: no bands.
std::vector<GradientBand> GradientBands(int left, int right, Colour start, Colour end);

// Static control styles and text-drawing flags the label understands (the window
// system's own values).
namespace label_style {
constexpr std::uint32_t kTypeMask = 0x1F;
constexpr std::uint32_t kCenter = 0x1;
constexpr std::uint32_t kRight = 0x2;
constexpr std::uint32_t kCenterImage = 0x200;
}  // namespace label_style
namespace text_format {
constexpr std::uint32_t kLeft = 0x0;
constexpr std::uint32_t kCenter = 0x1;
constexpr std::uint32_t kRight = 0x2;
constexpr std::uint32_t kVCenter = 0x4;
constexpr std::uint32_t kWordBreak = 0x10;
constexpr std::uint32_t kSingleLine = 0x20;
constexpr std::uint32_t kExpandTabs = 0x40;
}  // namespace text_format

// The DrawText format for a label of this style showing this text.
std::uint32_t LabelTextFormat(std::uint32_t style, const std::wstring& text);
