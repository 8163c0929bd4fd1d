#pragma once
// The receiving end of encoder runs in tests: on Windows a real (message-only) window that
// reports are posted to, natively a queue behind the same poster seam. Each report received
// is copied and the posted one released, as the control bar does.
#include <string>
#include <vector>

#include "engine/encoder_run.h"

struct ReceivedReport {
  unsigned message;
  EncoderRun* run;
  int32_t kind;
  double value;
  std::string text;
};

class ReportCollector {
 public:
  ReportCollector();
  ~ReportCollector();
  ReportCollector(const ReportCollector&) = delete;
  ReportCollector& operator=(const ReportCollector&) = delete;

  // Points the run's reports at this collector.
  void Attach(EncoderRun* run, unsigned message);
  // Receives reports until one of RUN_EXITED, RUN_STOPPED or RUN_FAILED has arrived and
  // `settle_ms` more have passed without a report, or until `timeout_ms`. Returns what came.
  std::vector<ReceivedReport> WaitForFinal(int timeout_ms, int settle_ms = 0);
  // Receives until a report of `kind` has arrived; false after `timeout_ms`.
  bool WaitForKind(int32_t kind, int timeout_ms);
  // Everything received so far, and forgets it.
  std::vector<ReceivedReport> Take();

 private:
  struct Impl;
  Impl* impl_;
};

inline bool IsFinalReport(int32_t kind) { return kind == RUN_EXITED || kind == RUN_STOPPED || kind == RUN_FAILED; }
