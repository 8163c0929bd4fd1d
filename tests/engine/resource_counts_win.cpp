#include <windows.h>
#include <tlhelp32.h>

#include "resource_counts.h"

ResourceCounts CountResources() {
  DWORD handles = 0;
  GetProcessHandleCount(GetCurrentProcess(), &handles);
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
  return {static_cast<long>(handles), threads};
}
