#pragma once
// Resource identifiers shared by the resource script and the code.

#define IDS_APP_TITLE 57344  // the product's name: caption of every message box
#define IDR_MAINFRAME 128    // the program icon
#define IDD_QUORLIN_DIALOG 102
#define IDB_SKIN_BAR 1016     // the control bar's skin: background and shape

// Controls of the control bar.
#define IDC_SETUP 3
#define IDC_STOP 1000
#define IDC_START 1001
#define IDC_STATUS 1002
#define IDC_CAMERA 1015
#define IDC_LED 1018
#define IDC_FILES 1019
#define IDC_AREA 1021
#define IDC_ABOUT 1023

// The camera window.
#define IDD_VIDEO_DIALOG 130
#define IDC_VIDEO_PICTURE 1016
