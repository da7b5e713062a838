#include "supervisor/PumpStats.h"

#include "core/EventLog.h"

#include <QString>

#include <cstdio>
#include <ctime>

namespace {
// Seconds of CPU of every thread of the process.
double CpuSeconds() { return double(std::clock()) / CLOCKS_PER_SEC; }

// To the log, and to stderr at once, where a benchmark can wait for it.
void Say(const QString& text) {
  LogMsg(text);
  std::fprintf(stderr, "%s\n", text.toUtf8().constData());
  std::fflush(stderr);
}
}  // namespace

TPumpStats::TPumpStats()
    : on_(qEnvironmentVariableIsSet("QMSV_PUMP_STATS")),
      settleMs_(qEnvironmentVariableIntValue("QMSV_PUMP_STATS") * qint64(1000)) {}

void TPumpStats::Tick(bool downloading, int writes, int connected) {
  if (!on_) return;
  if (!clock_.isValid()) {
    clock_.start();
    since_.start();
    return;
  }
  const qint64 interval = clock_.restart();
  longestMs_ = std::max(longestMs_, interval);
  phaseLongestMs_ = std::max(phaseLongestMs_, interval);
  peakWrites_ = std::max(peakWrites_, writes);
  if (since_.elapsed() >= settleMs_) settledLongestMs_ = std::max(settledLongestMs_, interval);
  if (interval > 150) LogMsg(QStringLiteral("Update pump: interval %1 ms").arg(interval));
  if (downloading_ && !downloading) {
    Say(QStringLiteral(
            "Update pump: downloads idle after %1 s with %5 monitors, longest interval %2 "
            "ms, CPU %3 s, at most %4 files waiting for the disk")
            .arg(since_.elapsed() / 1000.0, 0, 'f', 1)
            .arg(phaseLongestMs_)
            .arg(CpuSeconds(), 0, 'f', 2)
            .arg(peakWrites_)
            .arg(connected));
    phaseLongestMs_ = 0;
    peakWrites_ = 0;
  }
  downloading_ = downloading;
  // Every 2 s, so a benchmark can read the phase before its own teardown ends it.
  if (!downloading && (!told_.isValid() || told_.elapsed() >= 2000)) {
    told_.start();
    std::fprintf(stderr, "Update pump: longest interval of the phase so far %lld ms\n",
                 static_cast<long long>(phaseLongestMs_));
    std::fflush(stderr);
  }
}

void TPumpStats::Report() {
  if (!on_) return;
  LogMsg(QStringLiteral("Update pump: longest interval %1 ms, after the first %2 s %3 ms")
             .arg(longestMs_)
             .arg(settleMs_ / 1000)
             .arg(settledLongestMs_));
  Say(QStringLiteral("Update pump: stopped after %1 s, longest interval of the last phase %2 "
                     "ms, CPU %3 s")
          .arg(since_.isValid() ? since_.elapsed() / 1000.0 : 0.0, 0, 'f', 1)
          .arg(phaseLongestMs_)
          .arg(CpuSeconds(), 0, 'f', 2));
}
