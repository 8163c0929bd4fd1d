#include "capture_devices/rules/i420.h"

#include <algorithm>
#include <cstring>

#if defined(__i386__) || defined(__x86_64__)
#include <emmintrin.h>
#define QUORLIN_HAVE_SSE2_PATH 1
#endif

namespace capture {
namespace {

// 8-bit fixed-point BT.601 video-range coefficients. The +32768 of the differences keeps every
// sum positive, so that the shift is a plain division on all paths.
constexpr int kYr = 66, kYg = 129, kYb = 25;
constexpr int kUr = -38, kUg = -74, kUb = 112;
constexpr int kVr = 112, kVg = -94, kVb = -18;

inline uint8_t Luma(int b, int g, int r) {
  return static_cast<uint8_t>(((kYr * r + kYg * g + kYb * b + 128) >> 8) + 16);
}
// (x + 128 + 32768) >> 8 is the rounded difference plus its offset of 128.
inline uint8_t BlueDifference(int b, int g, int r) {
  return static_cast<uint8_t>((kUr * r + kUg * g + kUb * b + 128 + 32768) >> 8);
}
inline uint8_t RedDifference(int b, int g, int r) {
  return static_cast<uint8_t>((kVr * r + kVg * g + kVb * b + 128 + 32768) >> 8);
}

// The chroma of one block from column `x` of the rows `top` and `bottom` (`rows` 1 at an odd
// bottom edge), `columns` 1 or 2 wide.
void PlainChroma(const uint8_t* top, const uint8_t* bottom, int32_t x, int32_t columns, int rows, uint8_t* u,
                 uint8_t* v) {
  int b = 0, g = 0, r = 0;
  for (int32_t i = x; i < x + columns; ++i) {
    b += top[i * 4] + (rows == 2 ? bottom[i * 4] : 0);
    g += top[i * 4 + 1] + (rows == 2 ? bottom[i * 4 + 1] : 0);
    r += top[i * 4 + 2] + (rows == 2 ? bottom[i * 4 + 2] : 0);
  }
  const int n = static_cast<int>(columns) * rows;
  b = (b + n / 2) / n;
  g = (g + n / 2) / n;
  r = (r + n / 2) / n;
  *u = BlueDifference(b, g, r);
  *v = RedDifference(b, g, r);
}

// Columns [x0, width) of one pair of rows (or one row at an odd bottom edge), a pixel at a time.
void PlainRows(const uint8_t* top, const uint8_t* bottom, int rows, int32_t x0, int32_t width, uint8_t* y_top,
               uint8_t* y_bottom, uint8_t* u, uint8_t* v) {
  for (int32_t x = x0; x < width; ++x) {
    y_top[x] = Luma(top[x * 4], top[x * 4 + 1], top[x * 4 + 2]);
    if (rows == 2) y_bottom[x] = Luma(bottom[x * 4], bottom[x * 4 + 1], bottom[x * 4 + 2]);
  }
  for (int32_t x = x0; x < width; x += 2)
    PlainChroma(top, bottom, x, std::min<int32_t>(2, width - x), rows, &u[x / 2], &v[x / 2]);
}

#ifdef QUORLIN_HAVE_SSE2_PATH
// The sums of adjacent 32-bit lanes of lo and hi: (lo0+lo1, lo2+lo3, hi0+hi1, hi2+hi3).
__attribute__((target("sse2"))) inline __m128i PairSums(__m128i lo, __m128i hi) {
  const __m128 l = _mm_castsi128_ps(lo), h = _mm_castsi128_ps(hi);
  return _mm_add_epi32(_mm_castps_si128(_mm_shuffle_ps(l, h, _MM_SHUFFLE(2, 0, 2, 0))),
                       _mm_castps_si128(_mm_shuffle_ps(l, h, _MM_SHUFFLE(3, 1, 3, 1))));
}

// Luma of 8 pixels: madd gives b*kYb + g*kYg and r*kYr per pixel; the pairs are summed.
__attribute__((target("sse2"))) inline __m128i Luma8(const uint8_t* px) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i coef = _mm_setr_epi16(kYb, kYg, kYr, 0, kYb, kYg, kYr, 0);
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(px));
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(px + 16));
  // Per pixel two 32-bit partial sums, adjacent.
  const __m128i s0 = _mm_madd_epi16(_mm_unpacklo_epi8(a, zero), coef);
  const __m128i s1 = _mm_madd_epi16(_mm_unpackhi_epi8(a, zero), coef);
  const __m128i s2 = _mm_madd_epi16(_mm_unpacklo_epi8(b, zero), coef);
  const __m128i s3 = _mm_madd_epi16(_mm_unpackhi_epi8(b, zero), coef);
  const __m128i round = _mm_set1_epi32(128);
  const __m128i y03 = _mm_srli_epi32(_mm_add_epi32(PairSums(s0, s1), round), 8);
  const __m128i y47 = _mm_srli_epi32(_mm_add_epi32(PairSums(s2, s3), round), 8);
  // At most 219 each: packs without saturating; +16 after.
  return _mm_add_epi16(_mm_packs_epi32(y03, y47), _mm_set1_epi16(16));
}

// One difference of 4 chroma samples from their averaged 16-bit B,G,R,X (two samples per
// register): madd with the coefficients, pairs summed, shifted.
__attribute__((target("sse2"))) inline __m128i Difference4(__m128i avg01, __m128i avg23, __m128i coef) {
  const __m128i sum = PairSums(_mm_madd_epi16(avg01, coef), _mm_madd_epi16(avg23, coef));
  return _mm_srli_epi32(_mm_add_epi32(sum, _mm_set1_epi32(128 + 32768)), 8);  // the sample, 0..255
}

// Two rows, 8 pixels at a time; returns the first column left for the plain code.
__attribute__((target("sse2"))) int32_t Sse2Rows(const uint8_t* top, const uint8_t* bottom, int32_t width,
                                                 uint8_t* y_top, uint8_t* y_bottom, uint8_t* u, uint8_t* v) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i two = _mm_set1_epi16(2);
  const __m128i u_coef = _mm_setr_epi16(kUb, kUg, kUr, 0, kUb, kUg, kUr, 0);
  const __m128i v_coef = _mm_setr_epi16(kVb, kVg, kVr, 0, kVb, kVg, kVr, 0);
  int32_t x = 0;
  for (; x + 8 <= width; x += 8) {
    const uint8_t* t = top + x * 4;
    const uint8_t* b = bottom + x * 4;
    _mm_storel_epi64(reinterpret_cast<__m128i*>(y_top + x), _mm_packus_epi16(Luma8(t), zero));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(y_bottom + x), _mm_packus_epi16(Luma8(b), zero));
    // Column sums of the two rows, 16 bits per channel, then the sums of pixel pairs.
    __m128i quads[2];
    for (int half = 0; half < 2; ++half) {
      const __m128i ta = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + half * 16));
      const __m128i ba = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + half * 16));
      const __m128i lo = _mm_add_epi16(_mm_unpacklo_epi8(ta, zero), _mm_unpacklo_epi8(ba, zero));  // px 0,1
      const __m128i hi = _mm_add_epi16(_mm_unpackhi_epi8(ta, zero), _mm_unpackhi_epi8(ba, zero));  // px 2,3
      const __m128i sum = _mm_add_epi16(_mm_unpacklo_epi64(lo, hi), _mm_unpackhi_epi64(lo, hi));   // 0+1, 2+3
      quads[half] = _mm_srli_epi16(_mm_add_epi16(sum, two), 2);  // the averages, rounded
    }
    const __m128i us = Difference4(quads[0], quads[1], u_coef);
    const __m128i vs = Difference4(quads[0], quads[1], v_coef);
    const __m128i packed = _mm_packus_epi16(_mm_packs_epi32(us, vs), zero);  // u0..u3 v0..v3
    const int32_t uv = _mm_cvtsi128_si32(packed);
    const int32_t vv = _mm_cvtsi128_si32(_mm_srli_si128(packed, 4));
    std::memcpy(u + x / 2, &uv, 4);
    std::memcpy(v + x / 2, &vv, 4);
  }
  return x;
}

bool HasSse2() {
#if defined(__x86_64__)
  return true;
#else
  static const bool has = __builtin_cpu_supports("sse2");
  return has;
#endif
}
#endif

void ConvertRows(const uint8_t* bgrx, ptrdiff_t stride, int32_t width, int32_t height, const I420Planes& out,
                 bool fast) {
  for (int32_t row = 0; row < height; row += 2) {
    const int rows = row + 1 < height ? 2 : 1;
    const uint8_t* top = bgrx + row * stride;
    const uint8_t* bottom = rows == 2 ? top + stride : top;
    uint8_t* y_top = out.y + row * out.y_stride;
    uint8_t* y_bottom = rows == 2 ? y_top + out.y_stride : y_top;
    uint8_t* u = out.u + row / 2 * out.uv_stride;
    uint8_t* v = out.v + row / 2 * out.uv_stride;
    int32_t x = 0;
#ifdef QUORLIN_HAVE_SSE2_PATH
    if (fast && rows == 2) x = Sse2Rows(top, bottom, width, y_top, y_bottom, u, v);
#else
    (void)fast;
#endif
    PlainRows(top, bottom, rows, x, width, y_top, y_bottom, u, v);
  }
}

}  // namespace

int64_t I420Bytes(int64_t width, int64_t height) { return width * height + 2 * ((width + 1) / 2) * ((height + 1) / 2); }

I420Planes DenseI420Planes(uint8_t* data, int32_t width, int32_t height) {
  const ptrdiff_t chroma_width = (width + 1) / 2;
  uint8_t* u = data + ptrdiff_t{width} * height;
  return {data, u, u + chroma_width * ((height + 1) / 2), width, chroma_width};
}

void ConvertBgrxToI420(const uint8_t* bgrx, ptrdiff_t stride, int32_t width, int32_t height, const I420Planes& out) {
#ifdef QUORLIN_HAVE_SSE2_PATH
  const bool fast = HasSse2();
#else
  const bool fast = false;
#endif
  ConvertRows(bgrx, stride, width, height, out, fast);
}

void ConvertBgrxToI420Plain(const uint8_t* bgrx, ptrdiff_t stride, int32_t width, int32_t height,
                            const I420Planes& out) {
  ConvertRows(bgrx, stride, width, height, out, false);
}

void FillI420Black(const I420Planes& out, int32_t width, int32_t height) {
  for (int32_t row = 0; row < height; ++row) std::memset(out.y + row * out.y_stride, 16, width);
  for (int32_t row = 0; row < (height + 1) / 2; ++row) {
    std::memset(out.u + row * out.uv_stride, 128, (width + 1) / 2);
    std::memset(out.v + row * out.uv_stride, 128, (width + 1) / 2);
  }
}

}  // namespace capture
