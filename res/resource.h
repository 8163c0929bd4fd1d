#pragma once
// Resource identifiers shared by the resource script and the code.

#define IDS_APP_TITLE 57344  // the product's name: caption of every message box
#define IDR_MAINFRAME 128    // the program icon
#define IDD_QUORLIN_DIALOG 102
#define IDB_SKIN_BAR 1016     // the control bar's skin: background and shape
