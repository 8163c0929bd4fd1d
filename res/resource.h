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

// The start-up check.
#define IDD_INIT_DIALOG 133
#define IDC_CHECK_LOG 1024

// The settings dialog.
#define IDD_SETUP_DIALOG 129
#define IDC_SETUP_FOLDER 1004
#define IDC_SETUP_SIZE 1005
#define IDC_SETUP_VIDEO_BITRATE 1006
#define IDC_SETUP_FRAME_RATE 1007
#define IDC_SETUP_CAMERA 1008
#define IDC_SETUP_AUDIO_BITRATE 1009
#define IDC_SETUP_MICROPHONE 1010
#define IDC_SETUP_PREVIEW 1011
#define IDC_SETUP_SOUND_SOURCE 1012
#define IDC_SETUP_FORMAT 1013
#define IDC_SETUP_BROWSE 1014
#define IDC_SETUP_LIVE_URL 1015
#define IDC_SETUP_CAMERA_PROPERTIES 1017
#define IDC_SETUP_CAMERA_SIZE 1020
#define IDC_SETUP_HIDE_AFTER_START 1022
#define IDC_SETUP_LIVE 1023
#define IDC_SETUP_FLUENCY_FIRST 1024
#define IDC_SETUP_SHOW_CLICKS 1025

// The About box.
#define IDS_VERSION 4
#define IDD_ABOUT_DIALOG 134
#define IDC_ABOUT_HELP 1026
#define IDC_ABOUT_WEB 1027
#define IDC_ABOUT_VERSION 1028
