#pragma once
// Where the bar's controls lie on its skin. The places are the skin's own, in its pixels at
// 96 DPI (the bar's client area at 100 %), not the dialog template's units, which grow with
// the dialog font and would drift across the skin; at any scale every place is the same
// spot of the scaled skin.
#include <cstdint>

#include "bar/bar_rules.h"

// The skin's size at 96 DPI.
constexpr int32_t kSkinWidth = 611;
constexpr int32_t kSkinHeight = 69;
// The status line's font, in points.
constexpr int kStatusFontPoints = 10;

// A control's place at 96 DPI (client coordinates). The buttons' width and height are those
// of their 36-pixel skin frames (the close button's 24); their strips size them at run time.
// False for an id that is not one of the bar's controls, or the close button, which sits in
// the top right corner (CloseButtonPlace).
bool BarControlPlaceAt96(int control_id, BarRect& place);

// A rectangle of the 96-DPI skin at `dpi`, edge by edge, so that neighbours stay neighbours.
BarRect ScaleBarRect(const BarRect& rect, int dpi);
