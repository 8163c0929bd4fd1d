#pragma once
// The one thing the hotkey library and the program share: the message that carries a
// captured key (wParam: its virtual-key code) to the window given to EnableKeyboardCapture.
#include <windows.h>

#define WM_CAPTURED_KEY (WM_USER + 501)
