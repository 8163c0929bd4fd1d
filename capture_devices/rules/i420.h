// Colour conversion of a captured screen picture (32-bit BGRX pixels, top row first) into the
// planar 4:2:0 picture the encoder records (I420: a full-size luma plane, then the blue and the
// red difference planes at half size each way), with BT.601 coefficients in video range (luma
// 16..235), as the encoder's own conversion of RGB input makes. A chroma sample is the average
// of the 2x2 pixels it covers; at an odd right or bottom edge, of the pixels there are.
// No <windows.h> here.
#pragma once
#include <cstddef>
#include <cstdint>

namespace capture {

// The planes of one I420 picture of `width` x `height`.
struct I420Planes {
  uint8_t* y;
  uint8_t* u;
  uint8_t* v;
  ptrdiff_t y_stride;
  ptrdiff_t uv_stride;
};

// Bytes of an I420 picture laid out densely (strides width and (width + 1) / 2).
int64_t I420Bytes(int64_t width, int64_t height);
// Those dense planes inside `data`.
I420Planes DenseI420Planes(uint8_t* data, int32_t width, int32_t height);

// Converts the picture (`stride` bytes from one row to the next, negative for a bottom-up
// bitmap read from its last row). Uses SSE2 where the processor has it; the result
// is the same to the bit as ConvertBgrxToI420Plain.
void ConvertBgrxToI420(const uint8_t* bgrx, ptrdiff_t stride, int32_t width, int32_t height, const I420Planes& out);

// The same conversion one pixel at a time (the reference the fast one is checked against).
void ConvertBgrxToI420Plain(const uint8_t* bgrx, ptrdiff_t stride, int32_t width, int32_t height,
                            const I420Planes& out);

// Fills the picture with black (luma 16, both differences 128).
void FillI420Black(const I420Planes& out, int32_t width, int32_t height);

}  // namespace capture
