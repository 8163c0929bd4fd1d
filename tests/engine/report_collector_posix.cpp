#include <chrono>
#include <condition_variable>
#include <mutex>

#include "report_collector.h"

struct ReportCollector::Impl {
  std::mutex lock;
  std::condition_variable arrived;
  std::vector<ReceivedReport> reports;
  size_t taken = 0;  // reports before this index have been handed out

  static bool Post(void* receiver, unsigned message, EncoderRun* run, RunEvent* report) {
    auto* self = static_cast<Impl*>(receiver);
    std::unique_ptr<RunEvent> owned(report);
    std::lock_guard<std::mutex> hold(self->lock);
    self->reports.push_back({message, run, owned->kind, owned->value, owned->text});
    self->arrived.notify_all();
    return true;
  }
};

ReportCollector::ReportCollector() : impl_(new Impl) {}
ReportCollector::~ReportCollector() { delete impl_; }

void ReportCollector::Attach(EncoderRun* run, unsigned message) {
  run->notify_message = message;
  run->notify_window = impl_;
  run->post_report = &Impl::Post;
}

std::vector<ReceivedReport> ReportCollector::Take() {
  std::lock_guard<std::mutex> hold(impl_->lock);
  std::vector<ReceivedReport> out(impl_->reports.begin() + static_cast<long>(impl_->taken), impl_->reports.end());
  impl_->taken = impl_->reports.size();
  return out;
}

bool ReportCollector::WaitForKind(int32_t kind, int timeout_ms) {
  std::unique_lock<std::mutex> hold(impl_->lock);
  return impl_->arrived.wait_for(hold, std::chrono::milliseconds(timeout_ms), [&] {
    for (size_t i = impl_->taken; i < impl_->reports.size(); ++i) {
      if (impl_->reports[i].kind == kind) return true;
    }
    return false;
  });
}

std::vector<ReceivedReport> ReportCollector::WaitForFinal(int timeout_ms, int settle_ms) {
  {
    std::unique_lock<std::mutex> hold(impl_->lock);
    impl_->arrived.wait_for(hold, std::chrono::milliseconds(timeout_ms), [&] {
      for (size_t i = impl_->taken; i < impl_->reports.size(); ++i) {
        if (IsFinalReport(impl_->reports[i].kind)) return true;
      }
      return false;
    });
    if (settle_ms > 0) {
      size_t seen = impl_->reports.size();
      while (impl_->arrived.wait_for(hold, std::chrono::milliseconds(settle_ms),
                                     [&] { return impl_->reports.size() != seen; })) {
        seen = impl_->reports.size();
      }
    }
  }
  return Take();
}
