#include "region/selection_rules.h"

DragStep FollowCursor(const AreaRect& selection, int32_t x, int32_t y, const AreaRect& screen) {
  DragStep step{selection, false};
  step.selection.right = x;
  step.selection.bottom = y;
  // Left of or above the anchor: kept, but nothing is shown for it.
  if (x < selection.left || y < selection.top) return step;
  // The last column and row of the screen are never part of a selection.
  if (step.selection.right > screen.right - 1) step.selection.right = screen.right - 1;
  if (step.selection.bottom > screen.bottom - 1) step.selection.bottom = screen.bottom - 1;
  step.show = step.selection != selection;
  return step;
}

namespace {
// Grows one side that is too short: towards the far edge, or back when there is no room.
void GrowSide(int32_t& low, int32_t& high, int32_t screen_end) {
  if (high - low >= kMinimumSelection) return;
  if (high < screen_end - kMinimumSelection) {
    high += kMinimumSelection;
  } else {
    low -= kMinimumSelection;
  }
}
}  // namespace

std::optional<AreaRect> AcceptSelection(AreaRect selection, const AreaRect& screen) {
  GrowSide(selection.left, selection.right, screen.right);
  GrowSide(selection.top, selection.bottom, screen.bottom);
  if (selection.IsEmpty() || selection.Width() <= kMinimumSelection || selection.Height() <= kMinimumSelection) {
    return std::nullopt;
  }
  // The encoder's pictures need even sizes: the right and bottom edges come in one pixel.
  selection.right = selection.left + EvenSize(selection.Width());
  selection.bottom = selection.top + EvenSize(selection.Height());
  return selection;
}

std::wstring SizeLabelText(const AreaRect& selection) {
  const int32_t width = selection.Width();
  const int32_t height = selection.Height();
  if (width < 5 && height < 5) return L"请按下左键拖动鼠标";
  return L"录制区域（" + std::to_wstring(width) + L"x" + std::to_wstring(height) + L"）";
}

LabelPlace PlaceSizeLabel(const AreaRect& selection, int32_t cx, int32_t cy) {
  LabelPlace place;
  place.text_x = selection.left + 10;
  place.text_y = selection.top < cy + 5 ? selection.bottom + 5 : selection.top - cy - 5;
  place.box = {selection.left + 6, place.text_y - 4, selection.left + 6 + cx + 8, place.text_y - 4 + cy + 8};
  return place;
}
