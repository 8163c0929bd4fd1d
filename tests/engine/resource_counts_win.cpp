#include <windows.h>
#include <tlhelp32.h>

#include <cstdint>

#include "resource_counts.h"

namespace {

// Handles are multiples of 4; a valid one has handle information. (Wine's
// GetProcessHandleCount answers 0, so the handle values are probed instead.)
long CountHandles() {
  long count = 0;
  for (uintptr_t value = 4; value < 0x20000; value += 4) {
    DWORD flags = 0;
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
  }
  return count;
}

}  // namespace

ResourceCounts CountResources() {
  const long handles = CountHandles();
  long threads = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot != INVALID_HANDLE_VALUE) {
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
      if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++threads;
    }
    CloseHandle(snapshot);
  }
  return {handles, threads};
}
