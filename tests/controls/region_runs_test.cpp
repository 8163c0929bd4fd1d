// Opaque runs of a 32-bit picture and their batches, including the generated bar skin.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <utility>
#include <vector>

#include "bar/region_runs.h"

namespace {

// A top-down 32-bit picture in memory.
struct Picture {
  int width, height;
  std::vector<std::uint8_t> bytes;
  Picture(int w, int h) : width(w), height(h), bytes(static_cast<size_t>(w * h * 4), 0x40) {}
  void Set(int x, int y, int r, int g, int b) {
    std::uint8_t* p = &bytes[static_cast<size_t>((y * width + x) * 4)];
    p[0] = static_cast<std::uint8_t>(b);
    p[1] = static_cast<std::uint8_t>(g);
    p[2] = static_cast<std::uint8_t>(r);
    p[3] = 0x99;  // the fourth byte never matters
  }
  void Magenta(int x, int y) { Set(x, y, 255, 0, 255); }
  PixelRows Rows() const { return {bytes.data(), width * 4, width, height}; }
};

struct Collected {
  std::vector<std::vector<RunRect>> batches;
  std::vector<RunRect> All() const {
    std::vector<RunRect> all;
    for (const auto& b : batches) all.insert(all.end(), b.begin(), b.end());
    return all;
  }
};

Collected Collect(const PixelRows& rows) {
  Collected c;
  CollectOpaqueRuns(rows, [&](const RunBatch& batch) {
    EXPECT_LE(batch.runs().size(), static_cast<size_t>(RunBatch::kMaxRuns));
    EXPECT_EQ(0, batch.capacity() % RunBatch::kGrowBy);
    EXPECT_GE(static_cast<size_t>(batch.capacity()), batch.runs().size());
    c.batches.push_back(batch.runs());
  });
  return c;
}

std::set<std::pair<int, int>> CoveredPixels(const std::vector<RunRect>& runs) {
  std::set<std::pair<int, int>> covered;
  for (const RunRect& r : runs) {
    EXPECT_EQ(r.top + 1, r.bottom);
    for (int x = r.left; x < r.right; ++x) EXPECT_TRUE(covered.insert({x, r.top}).second);
  }
  return covered;
}

TEST(RegionRuns, NoMagentaGivesOneFullRowRunPerRow) {
  Picture pic(7, 3);
  pic.Set(6, 1, 254, 0, 255);  // near magenta is opaque
  pic.Set(5, 2, 255, 1, 255);
  const Collected c = Collect(pic.Rows());
  ASSERT_EQ(1u, c.batches.size());
  ASSERT_EQ(3u, c.batches[0].size());
  for (int y = 0; y < 3; ++y) {
    const RunRect& r = c.batches[0][static_cast<size_t>(y)];
    EXPECT_EQ(0, r.left);
    EXPECT_EQ(7, r.right);
    EXPECT_EQ(y, r.top);
  }
}

TEST(RegionRuns, AllMagentaGivesOneEmptyHandOver) {
  Picture pic(5, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) pic.Magenta(x, y);
  const Collected c = Collect(pic.Rows());
  ASSERT_EQ(1u, c.batches.size());
  EXPECT_TRUE(c.batches[0].empty());
}

TEST(RegionRuns, RunsSplitAtKeyPixelsAndEndAtTheRowEnd) {
  Picture pic(8, 1);
  pic.Magenta(0, 0);
  pic.Magenta(3, 0);
  pic.Magenta(4, 0);
  const auto runs = Collect(pic.Rows()).All();
  ASSERT_EQ(2u, runs.size());
  EXPECT_EQ(1, runs[0].left);
  EXPECT_EQ(3, runs[0].right);
  EXPECT_EQ(5, runs[1].left);
  EXPECT_EQ(8, runs[1].right);  // last pixel opaque: the run ends at the width
}

TEST(RegionRuns, BottomUpStorageIsReadTopRowFirst) {
  Picture pic(3, 2);  // stored rows: [0] is the image's bottom row
  pic.Magenta(0, 0);
  const PixelRows bottom_up{pic.bytes.data() + 3 * 4, -3 * 4, 3, 2};
  const auto runs = Collect(bottom_up).All();
  ASSERT_EQ(2u, runs.size());
  EXPECT_EQ(0, runs[0].left);  // image row 0 is the stored row 1: all opaque
  EXPECT_EQ(1, runs[1].left);
  EXPECT_EQ(1, runs[1].top);
}

TEST(RegionRuns, ManyRunsComeInBatchesOfAtMost2000WithTheSameCoverage) {
  // Checkerboard: 50 runs per row, 100 rows: 5000 runs in batches of 2000, 2000, 1000.
  Picture pic(100, 100);
  std::set<std::pair<int, int>> opaque;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x) {
      if ((x + y) % 2)
        pic.Magenta(x, y);
      else
        opaque.insert({x, y});
    }
  const Collected c = Collect(pic.Rows());
  ASSERT_EQ(3u, c.batches.size());
  EXPECT_EQ(2000u, c.batches[0].size());
  EXPECT_EQ(2000u, c.batches[1].size());
  EXPECT_EQ(1000u, c.batches[2].size());
  EXPECT_EQ(opaque, CoveredPixels(c.All()));
}

TEST(RegionRuns, BatchBoundAndCapacityGrowth) {
  RunBatch batch;
  EXPECT_EQ(100, batch.capacity());
  EXPECT_EQ(0x7FFFFFFF, batch.bound().left);
  for (int i = 0; i < 101; ++i) batch.Add({i, i, i + 2, i + 1});
  EXPECT_EQ(200, batch.capacity());
  EXPECT_EQ(0, batch.bound().left);
  EXPECT_EQ(102, batch.bound().right);
  EXPECT_EQ(101, batch.bound().bottom);
  batch.Clear();
  EXPECT_TRUE(batch.runs().empty());
  EXPECT_EQ(0, batch.bound().right);
}

// The bar skin drawn by the build: a 24-bit bottom-up file, expanded to 32 bits.
Picture LoadSkinBar() {
  std::ifstream in(QUORLIN_SKIN_BAR, std::ios::binary);
  std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_GT(file.size(), 54u);
  auto u32 = [&](size_t at) { return file[at] | file[at + 1] << 8 | file[at + 2] << 16 | file[at + 3] << 24; };
  const int w = u32(18), h = u32(22);
  EXPECT_EQ(24, file[28]);
  const size_t data = u32(10);
  const int stride = (w * 3 + 3) / 4 * 4;
  Picture pic(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const std::uint8_t* p = &file[data + static_cast<size_t>((h - 1 - y) * stride + x * 3)];
      pic.Set(x, y, p[2], p[1], p[0]);
    }
  return pic;
}

TEST(RegionRuns, SkinBarLeavesOutExactlyItsTwelveCornerPixels) {
  const Picture skin = LoadSkinBar();
  ASSERT_EQ(611, skin.width);
  ASSERT_EQ(69, skin.height);
  const auto covered = CoveredPixels(Collect(skin.Rows()).All());
  std::set<std::pair<int, int>> missing;
  for (int y = 0; y < 69; ++y)
    for (int x = 0; x < 611; ++x)
      if (!covered.count({x, y})) missing.insert({x, y});
  const std::set<std::pair<int, int>> corners{{0, 0},    {1, 0},    {609, 0}, {610, 0}, {0, 68}, {1, 68},
                                              {609, 68}, {610, 68}, {0, 1},   {610, 1}, {0, 67}, {610, 67}};
  EXPECT_EQ(corners, missing);
}

}  // namespace
