#pragma once
// Resources of the skin gallery.
#define IDD_GALLERY 400
#define IDD_GALLERY_BAR 401
// The bar's controls, as in the program's own bar template.
#define IDC_BAR_STOP 1000
#define IDC_BAR_START 1001
#define IDC_BAR_STATUS 1002
#define IDC_BAR_CAMERA 1015
#define IDC_BAR_LED 1018
#define IDC_BAR_FILES 1019
#define IDC_BAR_AREA 1021
#define IDC_BAR_ABOUT 1023
