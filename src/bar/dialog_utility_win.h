#pragma once
// Windows shaped and painted by a skin bitmap: the skin (bitmap resource 1016) as the
// window's background, and a window region that leaves out the bitmap's magenta pixels.
#include <windows.h>

#include "framework/gdi_guards.h"

class CDialogUtility {
 public:
  CDialogUtility() = default;
  virtual ~CDialogUtility() = default;
  CDialogUtility(const CDialogUtility&) = delete;
  CDialogUtility& operator=(const CDialogUtility&) = delete;

  // Loads the skin from the program's resources as a DIB section; FALSE (sizes kept)
  // when it is missing.
  BOOL LoadBackground();
  // Replaces the skin by a copy made for `dpi` from the one held, which is drawn for 96 DPI;
  // the sizes follow. The copy is made once per scale: painting only copies it.
  void ScaleBackground(int dpi);
  // Stretches the skin over `rect` of `dc`; FALSE when no skin is loaded.
  BOOL DrawBackground(HDC dc, const RECT& rect) const;

  ScopedBitmap m_bmBackground;
  int m_nWidth = 0;
  int m_nHeight = 0;
};

// A region covering every pixel of `bitmap` that is not exactly magenta RGB(255, 0, 255),
// or null when the bitmap is null or no device context or copy can be made. The caller
// owns the region.
HRGN BitmapToRegion(HBITMAP bitmap);

// How many rectangles the last BitmapToRegion call handed to the system, and in how many
// calls: figures for the benchmark.
struct RegionBuildStats {
  long long rectangles = 0;
  int region_calls = 0;
};
RegionBuildStats LastRegionBuildStats();
