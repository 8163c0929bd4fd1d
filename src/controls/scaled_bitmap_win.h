#pragma once
// Skin bitmaps resized for a display scale (see skin_scaling.h), as GDI bitmaps.
#include <windows.h>

// `source`, a strip of `frames` frames drawn for 96 DPI, resized for `dpi` with its `key`
// cut-outs kept: a new 32-bit DIB section the caller owns, or null when the source cannot be
// read or the copy cannot be made.
HBITMAP ScaleSkinBitmap(HBITMAP source, int frames, int dpi, COLORREF key);
