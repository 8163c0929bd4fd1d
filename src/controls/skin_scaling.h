#pragma once
// Skin bitmaps at other display scales: the bar's background and the buttons' strips are
// drawn for 96 DPI and resized once per DPI, keeping their key-coloured cut-outs exact.
#include <cstdint>
#include <vector>

// 32-bit pixels 0x00RRGGBB (the high byte is ignored), rows from the top.
struct SkinPixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> data;
};

// The picture resized by averaging the area of the source that each new pixel covers (sharp
// at whole multiples, evenly blended in between). Key-coloured pixels are holes, not colour:
// a new pixel covered at least half by holes is the key colour itself, so cut-out shapes stay
// cut out; any other pixel averages only the rest, so the key never tints an edge.
SkinPixels ScaleKeyedPixels(const SkinPixels& source, int new_width, int new_height, uint32_t key);

// A strip of `frames` equal frames side by side (a remainder at the right is dropped), each
// frame scaled from 96 DPI to `dpi` on its own so the frames stay the same size.
SkinPixels ScaleStripForDpi(const SkinPixels& strip, int frames, int dpi, uint32_t key);
