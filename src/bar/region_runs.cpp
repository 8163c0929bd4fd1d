#include "bar/region_runs.h"

#include <algorithm>

namespace {
constexpr RunRect kEmptyBound{0x7FFFFFFF, 0x7FFFFFFF, 0, 0};
}

RunBatch::RunBatch() : bound_(kEmptyBound) { runs_.reserve(kGrowBy); }

void RunBatch::Add(const RunRect& run) {
  if (static_cast<int>(runs_.size()) == capacity_) {
    capacity_ += kGrowBy;
    runs_.reserve(static_cast<size_t>(capacity_));
  }
  runs_.push_back(run);
  bound_.left = std::min(bound_.left, run.left);
  bound_.top = std::min(bound_.top, run.top);
  bound_.right = std::max(bound_.right, run.right);
  bound_.bottom = std::max(bound_.bottom, run.bottom);
}

void RunBatch::Clear() {
  runs_.clear();
  bound_ = kEmptyBound;
}

void CollectOpaqueRuns(const PixelRows& pixels, const HandOverBatch& hand_over) {
  RunBatch batch;
  const std::uint8_t* row = pixels.top_row;
  for (int y = 0; y < pixels.height; ++y, row += pixels.row_step) {
    for (int x = 0; x < pixels.width; ++x) {
      const int start = x;
      while (x < pixels.width && !IsKeyMagenta(row + 4 * x)) ++x;
      if (x > start) {
        batch.Add({start, y, x, y + 1});
        if (static_cast<int>(batch.runs().size()) == RunBatch::kMaxRuns) {
          hand_over(batch);
          batch.Clear();
        }
      }
      // The key pixel that ended the run is skipped by the loop's increment.
    }
  }
  hand_over(batch);
}
