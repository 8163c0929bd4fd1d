#pragma once
// A rectangle in screen pixels (origin at the primary display's top-left corner, negative
// left of it and above it): left and top inclusive, right and bottom exclusive, as RECT has
// it at the Win32 boundary.
#include <cstdint>

struct AreaRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;

  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool operator==(const AreaRect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
  bool operator!=(const AreaRect& o) const { return !(*this == o); }
};

// An odd size made even by losing its last pixel (-3 becomes -4, as 3 becomes 2).
inline int32_t EvenSize(int32_t size) { return size - (size & 1); }

// The message the overlay and the frame send the control bar when the area changes
// (WM_USER + 301): wParam 0 for the whole screen, else a RECT pointer; lParam 0.
constexpr unsigned kWmAreaChanged = 0x0400 + 301;
