#pragma once
// The drag on the selection overlay: how the selection follows the cursor, whether the
// released selection is accepted, and the size label that goes with it. No <windows.h> here.
#include <cstdint>
#include <optional>
#include <string>

#include "region/area_rect.h"

// A drag must be more than this many pixels wide and high; shorter ones first grow by it.
constexpr int32_t kMinimumSelection = 128;

// `screen` below is the virtual screen, the rectangle around every monitor, in screen
// coordinates; its left and top are negative where a monitor lies left of or above the
// primary one.

// One cursor position while the button is down. The selection's left and top are the anchor.
struct DragStep {
  AreaRect selection;  // the selection to keep, whether shown or not
  bool show = false;   // the label, the hole and the bar follow this selection
};
DragStep FollowCursor(const AreaRect& selection, int32_t x, int32_t y, const AreaRect& screen);

// The selection when the button comes up: grown to the minimum size, then rejected (empty,
// or not more than kMinimumSelection either way) or accepted with an even width and height.
std::optional<AreaRect> AcceptSelection(AreaRect selection, const AreaRect& screen);

// The label's text: the size of the raw drag, or the hint before the button goes down.
std::wstring SizeLabelText(const AreaRect& selection);

// Where the label goes for a selection and a text of cx by cy pixels: the text 10 pixels
// right of the selection's left edge and above it, or below it near the top of the screen.
struct LabelPlace {
  int32_t text_x = 0;
  int32_t text_y = 0;
  AreaRect box;  // the pixels the label covers
};
LabelPlace PlaceSizeLabel(const AreaRect& selection, int32_t cx, int32_t cy);
