#pragma once
// Scoped owners for GDI objects and device contexts: every drawing path releases what it
// made, whichever way it leaves. All of them are non-copyable.
#include <windows.h>

#include <utility>

// Owns a pen, brush, font, bitmap or region and deletes it.
template <class Handle>
class ScopedGdiObject {
 public:
  ScopedGdiObject() = default;
  explicit ScopedGdiObject(Handle handle) : m_h(handle) {}
  ~ScopedGdiObject() { Reset(); }
  ScopedGdiObject(const ScopedGdiObject&) = delete;
  ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;
  ScopedGdiObject(ScopedGdiObject&& other) noexcept : m_h(other.Release()) {}
  ScopedGdiObject& operator=(ScopedGdiObject&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  Handle Get() const { return m_h; }
  explicit operator bool() const { return m_h != nullptr; }
  void Reset(Handle handle = nullptr) {
    if (m_h) DeleteObject(m_h);
    m_h = handle;
  }
  // Hands the object to someone else (SetWindowRgn, for instance).
  Handle Release() { return std::exchange(m_h, nullptr); }

 private:
  Handle m_h = nullptr;
};

using ScopedPen = ScopedGdiObject<HPEN>;
using ScopedBrush = ScopedGdiObject<HBRUSH>;
using ScopedFont = ScopedGdiObject<HFONT>;
using ScopedBitmap = ScopedGdiObject<HBITMAP>;
using ScopedRegion = ScopedGdiObject<HRGN>;

// Selects an object into a device context and puts the previous one back.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : m_hDC(dc), m_hOld(dc && object ? SelectObject(dc, object) : nullptr) {}
  ~ScopedSelect() {
    if (m_hOld) SelectObject(m_hDC, m_hOld);
  }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

 private:
  HDC m_hDC;
  HGDIOBJ m_hOld;
};

// A memory device context (CreateCompatibleDC / DeleteDC).
class ScopedMemoryDC {
 public:
  explicit ScopedMemoryDC(HDC compatible_with) : m_hDC(CreateCompatibleDC(compatible_with)) {}
  ~ScopedMemoryDC() {
    if (m_hDC) DeleteDC(m_hDC);
  }
  ScopedMemoryDC(const ScopedMemoryDC&) = delete;
  ScopedMemoryDC& operator=(const ScopedMemoryDC&) = delete;
  HDC Get() const { return m_hDC; }
  explicit operator bool() const { return m_hDC != nullptr; }

 private:
  HDC m_hDC;
};

// A window's client-area device context (GetDC / ReleaseDC).
class ScopedWindowDC {
 public:
  explicit ScopedWindowDC(HWND hwnd) : m_hWnd(hwnd), m_hDC(GetDC(hwnd)) {}
  ~ScopedWindowDC() {
    if (m_hDC) ReleaseDC(m_hWnd, m_hDC);
  }
  ScopedWindowDC(const ScopedWindowDC&) = delete;
  ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;
  HDC Get() const { return m_hDC; }
  explicit operator bool() const { return m_hDC != nullptr; }

 private:
  HWND m_hWnd;
  HDC m_hDC;
};

// BeginPaint / EndPaint.
class ScopedPaint {
 public:
  explicit ScopedPaint(HWND hwnd) : m_hWnd(hwnd), m_hDC(BeginPaint(hwnd, &m_ps)) {}
  ~ScopedPaint() { EndPaint(m_hWnd, &m_ps); }
  ScopedPaint(const ScopedPaint&) = delete;
  ScopedPaint& operator=(const ScopedPaint&) = delete;
  HDC Get() const { return m_hDC; }

 private:
  HWND m_hWnd;
  PAINTSTRUCT m_ps{};
  HDC m_hDC;
};
