#include <windows.h>

#include "report_collector.h"

// A message-only window on the test's thread; reports reach it through the same
// PostMessage path as the control bar's.
struct ReportCollector::Impl {
  HWND window = nullptr;
  std::vector<ReceivedReport> reports;
  size_t taken = 0;

  // Handles every message that is waiting; false when the deadline has passed first.
  bool Pump(DWORD deadline) {
    for (;;) {
      MSG msg;
      while (PeekMessageW(&msg, window, 0, 0, PM_REMOVE)) {
        std::unique_ptr<RunEvent> report = AdoptRunEvent(msg.lParam);
        reports.push_back(
            {msg.message, reinterpret_cast<EncoderRun*>(msg.wParam), report->kind, report->value, report->text});
        return true;
      }
      const DWORD now = GetTickCount();
      if (static_cast<LONG>(deadline - now) <= 0) return false;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, deadline - now, QS_POSTMESSAGE);
    }
  }

  template <typename Done>
  bool PumpUntil(int timeout_ms, Done done) {
    const DWORD deadline = GetTickCount() + static_cast<DWORD>(timeout_ms);
    while (!done()) {
      if (!Pump(deadline)) return false;
    }
    return true;
  }
};

ReportCollector::ReportCollector() : impl_(new Impl) {
  impl_->window = CreateWindowExW(0, L"STATIC", L"reports", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
}

ReportCollector::~ReportCollector() {
  DestroyWindow(impl_->window);
  delete impl_;
}

void ReportCollector::Attach(EncoderRun* run, unsigned message) {
  run->notify_message = message;
  run->notify_window = impl_->window;
  run->post_report = PostReportToWindow;
}

std::vector<ReceivedReport> ReportCollector::Take() {
  std::vector<ReceivedReport> out(impl_->reports.begin() + static_cast<long>(impl_->taken), impl_->reports.end());
  impl_->taken = impl_->reports.size();
  return out;
}

bool ReportCollector::WaitForKind(int32_t kind, int timeout_ms) {
  return impl_->PumpUntil(timeout_ms, [&] {
    for (size_t i = impl_->taken; i < impl_->reports.size(); ++i) {
      if (impl_->reports[i].kind == kind) return true;
    }
    return false;
  });
}

std::vector<ReceivedReport> ReportCollector::WaitForFinal(int timeout_ms, int settle_ms) {
  impl_->PumpUntil(timeout_ms, [&] {
    for (size_t i = impl_->taken; i < impl_->reports.size(); ++i) {
      if (IsFinalReport(impl_->reports[i].kind)) return true;
    }
    return false;
  });
  if (settle_ms > 0) {
    while (impl_->Pump(GetTickCount() + static_cast<DWORD>(settle_ms))) {
    }
  }
  return Take();
}
