#include "controls/corner_trim.h"

namespace {

// One corner: columns x = first, first + step, ...; rows from `edge` towards `middle`.
void ScanCorner(int width, int height, bool from_left, bool from_top, const KeyPixelTest& is_key,
                std::vector<PixelPoint>& cuts) {
  const int half = height / 2;
  const int edge = from_top ? 0 : height - 1;
  const int row_step = from_top ? 1 : -1;
  int limit = half;  // last row a column may still test (inclusive)
  for (int i = 0; i < width; ++i) {
    const int x = from_left ? i : width - 1 - i;
    for (int y = edge; from_top ? y <= limit : y >= limit; y += row_step) {
      if (is_key(x, y)) {
        cuts.push_back({x, y});
        continue;
      }
      if (y == edge) return;  // the column's edge pixel is opaque: the corner is done
      limit = y;
      break;
    }
  }
}

}  // namespace

std::vector<PixelPoint> FindCornerCuts(int width, int height, const KeyPixelTest& is_key) {
  std::vector<PixelPoint> cuts;
  if (width <= 0 || height <= 0) return cuts;
  ScanCorner(width, height, true, true, is_key, cuts);
  ScanCorner(width, height, false, true, is_key, cuts);
  ScanCorner(width, height, true, false, is_key, cuts);
  ScanCorner(width, height, false, false, is_key, cuts);
  return cuts;
}
