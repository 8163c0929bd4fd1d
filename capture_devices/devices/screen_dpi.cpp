#include "capture_devices/devices/screen_dpi.h"

#include "capture_devices/rules/dpi_awareness.h"

namespace capture {
namespace {

// Awareness contexts are handles with fixed values (DPI_AWARENESS_CONTEXT_...), and the
// functions that take them exist only on Windows 10 1607 and later: both are found at run time.
using DpiContext = HANDLE;
const DpiContext kSystemAware = reinterpret_cast<DpiContext>(-2);
const DpiContext kPerMonitorAware = reinterpret_cast<DpiContext>(-3);
const DpiContext kPerMonitorAwareV2 = reinterpret_cast<DpiContext>(-4);

DpiContext ContextOf(DpiAwareness awareness) {
  switch (awareness) {
    case DpiAwareness::kPerMonitorV2:
      return kPerMonitorAwareV2;
    case DpiAwareness::kPerMonitor:
      return kPerMonitorAware;
    default:
      return kSystemAware;
  }
}

struct DpiFunctions {
  DpiContext(WINAPI* set_thread)(DpiContext) = nullptr;
  DpiContext(WINAPI* get_thread)() = nullptr;
  int(WINAPI* awareness_of)(DpiContext) = nullptr;  // 0 unaware, 1 system, 2 per monitor
  BOOL(WINAPI* are_equal)(DpiContext, DpiContext) = nullptr;
  bool thread_contexts() const { return set_thread && get_thread && awareness_of && are_equal; }
};

template <class Function>
void Find(HMODULE user32, const char* name, Function& function) {
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

const DpiFunctions& Functions() {
  static const DpiFunctions functions = [] {
    DpiFunctions f;
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    Find(user32, "SetThreadDpiAwarenessContext", f.set_thread);
    Find(user32, "GetThreadDpiAwarenessContext", f.get_thread);
    Find(user32, "GetAwarenessFromDpiAwarenessContext", f.awareness_of);
    Find(user32, "AreDpiAwarenessContextsEqual", f.are_equal);
    return f;
  }();
  return functions;
}

// Sets the best awareness the system takes; returns the thread's previous context, or null
// when the thread's context could not be set.
DpiContext SetBestThreadAwareness() {
  const DpiFunctions& f = Functions();
  if (!f.thread_contexts()) {
    SetProcessDPIAware();
    return nullptr;
  }
  return SetBestDpiAwareness([&f](DpiAwareness awareness) { return f.set_thread(ContextOf(awareness)); });
}

}  // namespace

void MakeThreadDpiAware() { SetBestThreadAwareness(); }

ScopedThreadDpiAware::ScopedThreadDpiAware() : m_hPrevious(SetBestThreadAwareness()) {}

ScopedThreadDpiAware::~ScopedThreadDpiAware() {
  if (m_hPrevious) Functions().set_thread(m_hPrevious);
}

const char* ThreadDpiAwarenessName() {
  const DpiFunctions& f = Functions();
  if (!f.thread_contexts()) return IsProcessDPIAware() ? "system" : "unaware";
  const DpiContext context = f.get_thread();
  if (f.are_equal(context, kPerMonitorAwareV2)) return "per-monitor-v2";
  switch (f.awareness_of(context)) {
    case 2:
      return "per-monitor";
    case 1:
      return "system";
    default:
      return "unaware";
  }
}

}  // namespace capture
