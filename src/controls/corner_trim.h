#pragma once
// Which key-coloured corner pixels a skinned button cuts out of its window region.
#include <functional>
#include <vector>

struct PixelPoint {
  int x;
  int y;
  bool operator==(const PixelPoint& o) const { return x == o.x && y == o.y; }
};

// True when the pixel at client coordinates (x, y) has exactly the key colour; a pixel
// that cannot be read does not match.
using KeyPixelTest = std::function<bool(int x, int y)>;

// Scans the four corners of a width x height client area (top-left, top-right,
// bottom-left, bottom-right) column by column from the outer edge inwards. Each column
// runs from the corner's edge towards the middle row (height / 2, inclusive) but never
// past the row where the previous column met its first non-key pixel, so the cut is a
// staircase whose steps only get shorter away from the corner; a column whose edge pixel
// is not the key ends the corner. Returns the pixels to cut, in scan order.
std::vector<PixelPoint> FindCornerCuts(int width, int height, const KeyPixelTest& is_key);
