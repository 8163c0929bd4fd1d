#include "bar/bar_layout.h"

#include "controls/dpi_scale.h"
#include "res/resource.h"

namespace {
struct Place {
  int control_id;
  BarRect rect;
};
// The buttons on the left, before the groove at x 262; the lamp and the status text inside
// the display well (x 287 to 580, y 23 to 57), both centred on its middle row, y 40.
constexpr int32_t kButton = 36;
constexpr int32_t kButtonTop = 17;
constexpr Place kPlaces[] = {
    {IDC_START, {11, kButtonTop, 11 + kButton, kButtonTop + kButton}},
    {IDC_AREA, {53, kButtonTop, 53 + kButton, kButtonTop + kButton}},
    {IDC_CAMERA, {95, kButtonTop, 95 + kButton, kButtonTop + kButton}},
    {IDC_FILES, {140, kButtonTop, 140 + kButton, kButtonTop + kButton}},
    {IDC_SETUP, {182, kButtonTop, 182 + kButton, kButtonTop + kButton}},
    {IDC_ABOUT, {226, kButtonTop, 226 + kButton, kButtonTop + kButton}},
    {IDC_LED, {305, 31, 323, 49}},
    {IDC_STATUS, {338, 29, 560, 51}},
    {IDC_STOP, {536, 4, 536 + kButton, 4 + kButton}},  // never shown
};
}  // namespace

bool BarControlPlaceAt96(int control_id, BarRect& place) {
  for (const Place& p : kPlaces) {
    if (p.control_id == control_id) {
      place = p.rect;
      return true;
    }
  }
  return false;
}

BarRect ScaleBarRect(const BarRect& rect, int dpi) {
  return {ScaleForDpi(rect.left, dpi), ScaleForDpi(rect.top, dpi), ScaleForDpi(rect.right, dpi),
          ScaleForDpi(rect.bottom, dpi)};
}
