#include "controls/skin_scaling.h"

#include <algorithm>

#include "controls/dpi_scale.h"

namespace {

// How much of each source pixel one new pixel covers along an axis, in units of
// 1 / new_length of a source pixel; a new pixel covers `source_length` units in all.
struct Cover {
  int first = 0;                 // first source pixel touched
  std::vector<int64_t> weights;  // one per source pixel from `first`
};

std::vector<Cover> AxisCovers(int source_length, int new_length) {
  std::vector<Cover> covers(static_cast<size_t>(new_length));
  for (int i = 0; i < new_length; ++i) {
    // The new pixel spans [i * S, (i + 1) * S); source pixel j spans [j * N, (j + 1) * N).
    const int64_t from = int64_t{i} * source_length;
    const int64_t to = from + source_length;
    Cover& cover = covers[static_cast<size_t>(i)];
    cover.first = static_cast<int>(from / new_length);
    for (int64_t j = cover.first; j * new_length < to && j < source_length; ++j) {
      const int64_t lo = std::max(from, j * new_length);
      const int64_t hi = std::min(to, (j + 1) * new_length);
      cover.weights.push_back(hi - lo);
    }
  }
  return covers;
}

}  // namespace

SkinPixels ScaleKeyedPixels(const SkinPixels& source, int new_width, int new_height, uint32_t key) {
  SkinPixels result;
  if (source.width <= 0 || source.height <= 0 || new_width <= 0 || new_height <= 0) return result;
  result.width = new_width;
  result.height = new_height;
  result.data.resize(static_cast<size_t>(new_width) * static_cast<size_t>(new_height));
  const std::vector<Cover> columns = AxisCovers(source.width, new_width);
  const std::vector<Cover> rows = AxisCovers(source.height, new_height);
  const int64_t area = int64_t{source.width} * source.height;
  const uint32_t key_rgb = key & 0xFFFFFFu;
  for (int y = 0; y < new_height; ++y) {
    const Cover& row = rows[static_cast<size_t>(y)];
    for (int x = 0; x < new_width; ++x) {
      const Cover& column = columns[static_cast<size_t>(x)];
      int64_t holes = 0, red = 0, green = 0, blue = 0;
      for (size_t r = 0; r < row.weights.size(); ++r) {
        const uint32_t* line = &source.data[static_cast<size_t>(row.first + static_cast<int>(r)) * source.width];
        for (size_t c = 0; c < column.weights.size(); ++c) {
          const int64_t weight = row.weights[r] * column.weights[c];
          const uint32_t pixel = line[column.first + static_cast<int>(c)] & 0xFFFFFFu;
          if (pixel == key_rgb) {
            holes += weight;
            continue;
          }
          red += weight * (pixel >> 16);
          green += weight * ((pixel >> 8) & 0xFF);
          blue += weight * (pixel & 0xFF);
        }
      }
      uint32_t& out = result.data[static_cast<size_t>(y) * new_width + x];
      const int64_t solid = area - holes;
      if (2 * holes >= area) {
        out = key_rgb;
        continue;
      }
      const auto channel = [solid](int64_t sum) { return static_cast<uint32_t>((sum + solid / 2) / solid); };
      out = channel(red) << 16 | channel(green) << 8 | channel(blue);
      // A blend that happens to land on the key colour would be cut out: one step off.
      if (out == key_rgb) out ^= 1;
    }
  }
  return result;
}

SkinPixels ScaleStripForDpi(const SkinPixels& strip, int frames, int dpi, uint32_t key) {
  if (frames <= 0) return {};
  const int frame_width = strip.width / frames;
  const int new_frame_width = ScaleForDpi(frame_width, dpi);
  const int new_height = ScaleForDpi(strip.height, dpi);
  SkinPixels result;
  if (frame_width <= 0 || strip.height <= 0 || new_frame_width <= 0 || new_height <= 0) return result;
  result.width = new_frame_width * frames;
  result.height = new_height;
  result.data.resize(static_cast<size_t>(result.width) * static_cast<size_t>(new_height));
  for (int f = 0; f < frames; ++f) {
    SkinPixels frame;
    frame.width = frame_width;
    frame.height = strip.height;
    frame.data.reserve(static_cast<size_t>(frame_width) * static_cast<size_t>(strip.height));
    for (int y = 0; y < strip.height; ++y) {
      const auto line = strip.data.begin() + static_cast<std::ptrdiff_t>(y) * strip.width + f * frame_width;
      frame.data.insert(frame.data.end(), line, line + frame_width);
    }
    const SkinPixels scaled = ScaleKeyedPixels(frame, new_frame_width, new_height, key);
    for (int y = 0; y < new_height; ++y) {
      std::copy_n(scaled.data.begin() + static_cast<std::ptrdiff_t>(y) * new_frame_width, new_frame_width,
                  result.data.begin() + static_cast<std::ptrdiff_t>(y) * result.width + f * new_frame_width);
    }
  }
  return result;
}
