#pragma once
// Turns a 32-bit picture into the runs of opaque pixels that make up a window region:
// every run is one rectangle one pixel high; magenta pixels are left out.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

struct RunRect {
  std::int32_t left, top, right, bottom;  // right and bottom exclusive
};

// The rectangles collected for one hand-over to the region builder. Room grows 100
// rectangles at a time; a batch is handed over when it holds kMaxRuns rectangles, so the
// system never receives more than that in one call.
class RunBatch {
 public:
  static constexpr int kGrowBy = 100;
  static constexpr int kMaxRuns = 2000;

  RunBatch();
  void Add(const RunRect& run);
  void Clear();

  const std::vector<RunRect>& runs() const { return runs_; }
  int capacity() const { return capacity_; }
  // Union of the batch's rectangles; (0x7FFFFFFF, 0x7FFFFFFF, 0, 0) while empty.
  const RunRect& bound() const { return bound_; }

 private:
  std::vector<RunRect> runs_;
  int capacity_ = kGrowBy;
  RunRect bound_;
};

// 32-bit pixels in memory: blue, green, red, unused. `top_row` is the image's top row and
// `row_step` the distance in bytes to the next row down (negative for bottom-up storage).
struct PixelRows {
  const std::uint8_t* top_row;
  std::ptrdiff_t row_step;
  int width;
  int height;
};

// Exactly blue 255, green 0, red 255; the fourth byte is ignored.
inline bool IsKeyMagenta(const std::uint8_t* pixel) { return pixel[0] == 255 && pixel[1] == 0 && pixel[2] == 255; }

using HandOverBatch = std::function<void(const RunBatch&)>;

// Scans the rows top to bottom and hands each full batch over, then the rest (also when
// empty) once at the end.
void CollectOpaqueRuns(const PixelRows& pixels, const HandOverBatch& hand_over);
