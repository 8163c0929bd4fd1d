#pragma once
// Encoder processes left over from an earlier run keep the capture devices and their output
// file busy; the bar removes one at start-up.
#include <windows.h>

#include <string>

// The id of the first process whose executable's full path contains `name` (case-sensitive),
// or 0 when there is none or the process list cannot be read.
DWORD FindProcessByPath(const std::wstring& name);

// Tells the user about a leftover encoder and terminates it (at most one per call).
void SweepLeftoverEncoder();
