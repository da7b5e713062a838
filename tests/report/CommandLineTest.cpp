#include "report/ReportFixture.h"

#include "report/CommandLine.h"

#include <QImage>
#include <QTextStream>

#include <gtest/gtest.h>

namespace {

using namespace qmreport;

struct Outcome {
  int code = -1;
  QString out, err;
};

Outcome RunWith(const QStringList& args) {
  Outcome r;
  QTextStream out(&r.out), err(&r.err);
  r.code = RunCommandLine(args, out, err);
  return r;
}

TEST(CommandLine, BadArgumentsExitWithTwoAndTheUsage) {
  const QStringList base{"--monitor", "A", "--day", "2024-06-12", "--csv", "/tmp/x.csv"};
  const QList<QStringList> bad{
      {"--monitor", "A", "--day", "2024-06-12"},  // nothing to write
      {"--day", "2024-06-12", "--csv", "x.csv"},
      {"--monitor", "A", "--day", "12.06.2024", "--csv", "x.csv"},
      {"--monitor", "A", "--day", "2024-02-30", "--csv", "x.csv"},
      {"--monitor", "../etc", "--day", "2024-06-12", "--csv", "x.csv"},
      {"--monitor", "..", "--day", "2024-06-12", "--csv", "x.csv"},
      base + QStringList{"--interval", "7"},
      base + QStringList{"--interval", "sixty"},
      base + QStringList{"--week", "--month"},
      base + QStringList{"--evening-start", "6"},
      base + QStringList{"--night-start", "25"},
      base + QStringList{"--bogus"},
      base + QStringList{"stray"},
  };
  for (const QStringList& args : bad) {
    SCOPED_TRACE(args.join(' ').toStdString());
    const Outcome r = RunWith(args);
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains("Usage: quietmarkrp")) << r.err.toStdString();
  }
  const Outcome help = RunWith({"--help"});
  EXPECT_EQ(help.code, 0);
  for (const char* option : {"--monitor", "--day", "--week", "--month", "--interval", "--pdf",
                             "--csv", "--png", "--datapath", "--night-start"})
    EXPECT_TRUE(help.out.contains(option)) << option;

  // Without an output the window opens with the choices given.
  const Parsed w = ParseArguments({"--datapath", "/d", "--monitor", "A", "--month"});
  EXPECT_TRUE(w.window);
  EXPECT_TRUE(w.error.isEmpty());
  EXPECT_EQ(w.request.kind, Kind::Month);
}

TEST(CommandLine, WritesThePdfCsvAndPngOrSaysThereIsNoData) {
  qmtest::DataFolder data;
  data.TermCfg("SE-1", "Mill Lane", "Quietmark-SE");
  const QDate day(2024, 6, 12);
  data.Prf("SE-1", day, [](int s) { return qmtest::Tenth(45.0 + (s / 3600) % 10); });
  data.Write("SE-1/2024-06/alm-12.csv", QString(".time,duration,lmax\r\n10:00:01,12,81.2\r\n"));
  QTemporaryDir out;
  const auto before = data.Snapshot();
  const QString pdf = out.path() + "/r.pdf", csv = out.path() + "/r.csv",
                png = out.path() + "/r.png";
  const QStringList common{"--datapath", data.Path(), "--monitor", "SE-1", "--day", "2024-06-12"};

  Outcome r =
      RunWith(common + QStringList{"--pdf", pdf, "--csv", csv, "--png", png, "--interval", "30"});
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  QFile p(pdf);
  ASSERT_TRUE(p.open(QIODevice::ReadOnly));
  EXPECT_TRUE(p.readAll().startsWith("%PDF"));
  QFile c(csv);
  ASSERT_TRUE(c.open(QIODevice::ReadOnly));
  EXPECT_EQ(c.readAll().count("\r\n"), 49);
  const QImage img(png);
  EXPECT_EQ(img.size(), QSize(1200, 500));

  r = RunWith(common + QStringList{"--month", "--csv", csv});
  ASSERT_EQ(r.code, 0);
  c.close();
  ASSERT_TRUE(c.open(QIODevice::ReadOnly));
  EXPECT_EQ(c.readAll().count("\r\n"), 31);

  // No data for the monitor and period: 1, and nothing written.
  const QString none = out.path() + "/none.csv";
  for (const QStringList& args :
       {QStringList{"--datapath", data.Path(), "--monitor", "SE-1", "--day", "2024-07-01"},
        QStringList{"--datapath", data.Path(), "--monitor", "SE-9", "--day", "2024-06-12"}}) {
    r = RunWith(args + QStringList{"--csv", none});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.startsWith("No data for monitor")) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(none));
  }

  // An output inside the data folder is refused.
  r = RunWith(common + QStringList{"--csv", data.Path() + "SE-1/report.csv"});
  EXPECT_EQ(r.code, 2);
  EXPECT_TRUE(r.err.contains("data folder")) << r.err.toStdString();
  EXPECT_EQ(data.Snapshot(), before);
}

}  // namespace
