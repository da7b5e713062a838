// The monthly report of one monitor: 30 full prf files (2.6 M one-second values) plus the first
// file of the next month, read and computed, then written as CSV, PNG and PDF.
//   report_bench [--benchmark_...]
#include "report/CommandLine.h"
#include "report/Report.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

const QString kId = QStringLiteral("SE-BENCH");
const QDate kDay(2024, 6, 15);

// A month of files as the supervisor stores them, made once.
const QString& DataPath() {
  static QTemporaryDir dir;
  static const QString path = [] {
    const QString data = dir.path() + QStringLiteral("/data/");
    quint32 seed = 7;
    for (QDate d(2024, 6, 1); d <= QDate(2024, 7, 1); d = d.addDays(1)) {
      const QString folder = data + kId + d.toString(QStringLiteral("/yyyy-MM/"));
      QDir().mkpath(folder);
      QByteArray text = ".time&laeq\r\n";
      text.reserve(86401 * 16);
      char row[32];
      for (int s = 0; s < 86400; ++s) {
        seed = seed * 1664525u + 1013904223u;
        const int tenths = 450 + int(seed >> 24) % 300;
        std::snprintf(row, sizeof row, "%02d:%02d:%02d,%d.%d\r\n", s / 3600, s / 60 % 60, s % 60,
                      tenths / 10, tenths % 10);
        text += row;
      }
      QFile f(folder + QStringLiteral("prf-") + d.toString(QStringLiteral("dd")) +
              QStringLiteral(".csv"));
      f.open(QIODevice::WriteOnly);
      f.write(text);
    }
    return data;
  }();
  return path;
}

qmreport::Request Month() {
  qmreport::Request q;
  q.dataPath = DataPath();
  q.id = kId;
  q.day = kDay;
  q.kind = qmreport::Kind::Month;
  return q;
}

void BM_MonthlyReport(benchmark::State& state) {
  const qmreport::Request q = Month();
  std::size_t valid = 0;
  for (auto _ : state) {
    const qmreport::Report r = qmreport::BuildReport(q);
    valid = r.total.valid;
    benchmark::DoNotOptimize(r.den.lden);
  }
  state.counters["values"] = double(valid);
}
BENCHMARK(BM_MonthlyReport)->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_MonthlyReportWritten(benchmark::State& state) {
  const qmreport::Request q = Month();
  QTemporaryDir out;
  qmreport::Outputs o;
  o.pdf = out.path() + QStringLiteral("/m.pdf");
  o.csv = out.path() + QStringLiteral("/m.csv");
  o.png = out.path() + QStringLiteral("/m.png");
  for (auto _ : state) {
    const qmreport::Report r = qmreport::BuildReport(q);
    QString error;
    if (!qmreport::WriteOutputs(r, o, &error)) state.SkipWithError(error.toStdString().c_str());
  }
}
BENCHMARK(BM_MonthlyReportWritten)->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_DailyReport(benchmark::State& state) {
  qmreport::Request q = Month();
  q.kind = qmreport::Kind::Day;
  q.interval = 5;
  for (auto _ : state) benchmark::DoNotOptimize(qmreport::BuildReport(q).intervals.size());
}
BENCHMARK(BM_DailyReport)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  DataPath();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
