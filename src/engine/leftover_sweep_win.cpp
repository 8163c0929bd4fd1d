#include "engine/leftover_sweep_win.h"

#include <psapi.h>

#include "framework/message_box.h"
#include "platform/text_codepage.h"

namespace {

// Closes a process handle on every path.
class ScopedProcess {
 public:
  ScopedProcess(DWORD access, DWORD id) : m_h(OpenProcess(access, FALSE, id)) {}
  ~ScopedProcess() {
    if (m_h) CloseHandle(m_h);
  }
  ScopedProcess(const ScopedProcess&) = delete;
  ScopedProcess& operator=(const ScopedProcess&) = delete;
  HANDLE Get() const { return m_h; }

 private:
  HANDLE m_h;
};

// The full path of the process's executable, or empty when it cannot be read.
std::wstring ExecutablePath(DWORD id) {
  ScopedProcess process(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, id);
  if (!process.Get()) return {};
  HMODULE modules[1024];
  DWORD bytes = 0;
  if (!EnumProcessModules(process.Get(), modules, sizeof modules, &bytes) || bytes == 0) return {};
  wchar_t path[520] = {};
  if (!GetModuleFileNameExW(process.Get(), modules[0], path, 520)) return {};
  return path;
}

}  // namespace

DWORD FindProcessByPath(const std::wstring& name) {
  DWORD ids[1024];
  DWORD bytes = 0;
  if (!EnumProcesses(ids, sizeof ids, &bytes)) return 0;
  for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i) {
    if (ExecutablePath(ids[i]).find(name) != std::wstring::npos) return ids[i];
  }
  return 0;
}

void SweepLeftoverEncoder() {
  const std::wstring name = platform::AnsiToWide("quorlind.exe");
  if (FindProcessByPath(name) == 0) return;
  ShowMessageBox(nullptr, L"系统中存在录制进程残留，将自动清理！");
  // Searched again: the one found may have ended while the message was shown.
  ScopedProcess leftover(PROCESS_TERMINATE, FindProcessByPath(name));
  if (leftover.Get()) TerminateProcess(leftover.Get(), 0);
}
