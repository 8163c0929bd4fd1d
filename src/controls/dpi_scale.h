#pragma once
// Display scaling: every size the program draws is designed at 96 dots per inch (100 %) and
// multiplied by the window's DPI / 96.
#include <cstdint>

constexpr int kDesignDpi = 96;
// Windows offers 100 % to 500 %; anything outside (or no answer at all) is taken as the
// nearest of these.
constexpr int kSmallestDpi = 96;
constexpr int kLargestDpi = 480;

// The DPI to lay out for, from what the system reported (0 or less: it had no answer).
int UsableDpi(int reported_dpi);

// A length or coordinate designed at 96 DPI, at `dpi`: rounded to the nearest pixel, halves
// away from zero, so that a rectangle scaled edge by edge keeps its neighbours touching.
int32_t ScaleForDpi(int32_t value, int dpi);

// The pixel height of a font of `points` at `dpi`, negative as a LOGFONT wants it (character
// height, not cell height).
int32_t FontHeightForDpi(int points, int dpi);
