// Counts of live objects and server locks, for DllCanUnloadNow.
#pragma once
#include <windows.h>

namespace capture {
void ObjectCreated();
void ObjectDestroyed();
void ServerLocked(bool lock);
HMODULE ThisModule();
}  // namespace capture
