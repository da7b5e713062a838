#pragma once

#include <QElapsedTimer>

// For the load benchmarks (QMSV_PUMP_STATS=S): how late the 100 ms update pump ran, overall,
// after S seconds of settling, and in each phase of downloads, with the CPU time the process
// had used by then. Written to the log.
class TPumpStats {
 public:
  TPumpStats();
  bool On() const { return on_; }
  // Once per pump; `downloading` while any download or file write is under way, `writes` jobs
  // waiting for the storage threads, `connected` monitors identified.
  void Tick(bool downloading, int writes, int connected);
  void Report();

 private:
  bool on_ = false;
  qint64 settleMs_ = 0;
  QElapsedTimer clock_;
  QElapsedTimer since_;
  QElapsedTimer told_;
  qint64 longestMs_ = 0;
  qint64 settledLongestMs_ = 0;
  qint64 phaseLongestMs_ = 0;
  bool downloading_ = false;
  int peakWrites_ = 0;
};
