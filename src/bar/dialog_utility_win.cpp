#include "bar/dialog_utility_win.h"

#include <cstring>
#include <vector>

#include "bar/region_runs.h"
#include "controls/dpi_scale.h"
#include "controls/scaled_bitmap_win.h"
#include "res/resource.h"

namespace {
RegionBuildStats g_last_stats;
}

BOOL CDialogUtility::LoadBackground() {
  // The old skin is ours alone (nobody else was given the handle), so it is deleted.
  m_bmBackground.Reset();
  auto* bitmap = static_cast<HBITMAP>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_SKIN_BAR), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!bitmap) return FALSE;
  m_bmBackground.Reset(bitmap);
  BITMAP info{};
  GetObjectW(bitmap, sizeof(info), &info);
  m_nWidth = info.bmWidth;
  m_nHeight = info.bmHeight;
  return TRUE;
}

void CDialogUtility::ScaleBackground(int dpi) {
  if (!m_bmBackground || dpi == kDesignDpi) return;
  HBITMAP scaled = ScaleSkinBitmap(m_bmBackground.Get(), 1, dpi, RGB(255, 0, 255));
  if (!scaled) return;  // the 96-DPI skin, stretched, rather than none
  m_bmBackground.Reset(scaled);
  BITMAP info{};
  GetObjectW(scaled, sizeof(info), &info);
  m_nWidth = info.bmWidth;
  m_nHeight = info.bmHeight;
}

BOOL CDialogUtility::DrawBackground(HDC dc, const RECT& rect) const {
  if (!m_bmBackground) return FALSE;
  ScopedMemoryDC memory_dc(dc);
  if (!memory_dc) return FALSE;
  ScopedSelect selected(memory_dc.Get(), m_bmBackground.Get());
  StretchBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, memory_dc.Get(), 0, 0, m_nWidth,
             m_nHeight, SRCCOPY);
  return TRUE;
}

namespace {

// Builds one region from a batch: the block handed over is the header plus room for the
// batch's whole capacity; nCount says how many rectangles are valid.
HRGN RegionFromBatch(const RunBatch& batch, std::vector<unsigned char>& block) {
  const size_t size = sizeof(RGNDATAHEADER) + sizeof(RECT) * static_cast<size_t>(batch.capacity());
  block.resize(size);
  auto* data = reinterpret_cast<RGNDATA*>(block.data());
  data->rdh.dwSize = sizeof(RGNDATAHEADER);
  data->rdh.iType = RDH_RECTANGLES;
  data->rdh.nCount = static_cast<DWORD>(batch.runs().size());
  data->rdh.nRgnSize = 0;
  const RunRect& b = batch.bound();
  data->rdh.rcBound = {b.left, b.top, b.right, b.bottom};
  static_assert(sizeof(RunRect) == sizeof(RECT), "runs are copied as RECTs");
  if (!batch.runs().empty()) std::memcpy(data->Buffer, batch.runs().data(), sizeof(RECT) * batch.runs().size());
  g_last_stats.rectangles += static_cast<long long>(batch.runs().size());
  ++g_last_stats.region_calls;
  return ExtCreateRegion(nullptr, static_cast<DWORD>(size), data);
}

// Joins the batches' regions with RGN_OR. Joining each into one growing region costs time
// in proportion to everything joined so far, which grows with the square of the number
// of batches; joining pieces of equal size pairwise (like a binary counter) keeps it at
// n log n and gives the same region.
class RegionMerger {
 public:
  ~RegionMerger() {
    for (const Piece& piece : m_pieces) DeleteObject(piece.region);
  }
  void Add(HRGN region) {
    if (!region) return;
    Piece piece{region, 1};
    while (!m_pieces.empty() && m_pieces.back().batches <= piece.batches) {
      piece = Join(m_pieces.back(), piece);
      m_pieces.pop_back();
    }
    m_pieces.push_back(piece);
  }
  // The union of everything added (null when nothing was), owned by the caller.
  HRGN Finish() {
    if (m_pieces.empty()) return nullptr;
    while (m_pieces.size() > 1) {
      const Piece last = m_pieces.back();
      m_pieces.pop_back();
      m_pieces.back() = Join(m_pieces.back(), last);
    }
    const HRGN result = m_pieces.back().region;
    m_pieces.clear();
    return result;
  }

 private:
  struct Piece {
    HRGN region;
    int batches;
  };
  static Piece Join(const Piece& into, const Piece& from) {
    CombineRgn(into.region, into.region, from.region, RGN_OR);
    DeleteObject(from.region);
    return {into.region, into.batches + from.batches};
  }
  std::vector<Piece> m_pieces;
};

}  // namespace

HRGN BitmapToRegion(HBITMAP bitmap) {
  g_last_stats = {};
  if (!bitmap) return nullptr;
  ScopedMemoryDC memory_dc(nullptr);
  if (!memory_dc) return nullptr;
  BITMAP source{};
  GetObjectW(bitmap, sizeof(source), &source);
  const int width = source.bmWidth;
  const int height = source.bmHeight;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // positive: rows stored bottom-up
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  ScopedBitmap copy(CreateDIBSection(memory_dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!copy || !bits) return nullptr;
  ScopedSelect copy_selected(memory_dc.Get(), copy.Get());

  BITMAP copy_info{};
  GetObjectW(copy.Get(), sizeof(copy_info), &copy_info);
  const std::ptrdiff_t stride = (copy_info.bmWidthBytes + 3) / 4 * 4;
  {
    ScopedMemoryDC source_dc(memory_dc.Get());
    ScopedSelect source_selected(source_dc.Get(), bitmap);
    BitBlt(memory_dc.Get(), 0, 0, width, height, source_dc.Get(), 0, 0, SRCCOPY);
  }
  GdiFlush();  // the copy must be complete before its memory is read

  // The image's top row is the last one in memory.
  const auto* top_row = static_cast<const std::uint8_t*>(bits) + stride * (height - 1);
  std::vector<unsigned char> block;
  RegionMerger merged;
  CollectOpaqueRuns({top_row, -stride, width, height},
                    [&](const RunBatch& batch) { merged.Add(RegionFromBatch(batch, block)); });
  return merged.Finish();
}

RegionBuildStats LastRegionBuildStats() { return g_last_stats; }
