// One download cycle (DownloadAll) for 100 connected monitors that each have a year of files:
// the time the interface thread spends finding where every download starts, first with nothing
// remembered, then as every later cycle runs.
#include "download/DataFiles.h"
#include "download/TDownloader.h"
#include "supervisor/TSupervisor.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <asio/io_context.hpp>

#include <cstdio>
#include <fstream>

namespace {

constexpr int kMonitors = 100;
constexpr int kDays = 365;

void WriteFile(const QString& path, const QStringList& lines) {
  std::ofstream out(path.toStdString(), std::ios::binary);
  for (const QString& l : lines) out << l.toStdString() << "\r\n";
}

// A year of files; the newest day's are full size, older ones small.
void MakeYear(const QString& folder, const QDate& today) {
  QStringList prf;
  qmfiles::InitPrfFile(prf);
  for (int s = 1; s <= 50000; ++s) prf[s] = qmfiles::TimeText(s - 1) + ",55.0";
  for (int back = 0; back < kDays; ++back) {
    const QDate d = today.addDays(-back);
    const QString month = folder + "/" + qmfiles::MonthFolder(d.year(), d.month());
    QDir().mkpath(month);
    for (int p : qmfiles::kPeriods) {
      QStringList per;
      qmfiles::InitPerFile(per, p);
      per[1] = "00:00:00,55.0";
      WriteFile(month + "/" + qmfiles::PerFileName(d.day(), p), back == 0 ? per : per.mid(0, 3));
    }
    WriteFile(month + "/" + qmfiles::DayFileName("alm", d.day()), {".h", "10:00:00,3,70.0"});
    WriteFile(month + "/" + qmfiles::DayFileName("cal", d.day()), {".h", "06:00:00,94.0"});
    WriteFile(month + "/" + qmfiles::DayFileName("prf", d.day()),
              back == 0 ? prf : QStringList{".", "00:00:00,55.0"});
  }
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTemporaryDir dir;
  TCfg::Env env;
  env.allUsersDataFolder = dir.path() + "/";
  env.appDataFolder = env.allUsersDataFolder + "Brackenhall/Quietmark-SV/";
  QDir().mkpath(env.appDataFolder);
  TSupervisor sup(nullptr, TSupervisor::Options{{"bench"}, env, false});
  sup.Start();
  const QDate today = QDate::currentDate();

  QElapsedTimer timer;
  timer.start();
  asio::io_context io;
  {
    TClientListHold hold(sup.Clients());
    for (int i = 0; i < kMonitors; ++i) {
      TDTClient* c = sup.Clients().AddClient();
      c->sID = QString("BENCH-%1").arg(i, 3, 10, QChar('0'));
      c->sType = i % 2 ? "Quietmark-NG" : "Quietmark-SE";
      c->ctx = std::make_shared<TCnx>(asio::ip::tcp::socket(io), static_cast<quint64>(i + 1));
      c->bConnected = true;
    }
  }
  {
    TClientListHold hold(sup.Clients());
    for (int i = 0; i < kMonitors; ++i) MakeYear(sup.Clients().GetClient(i)->Folder(), today);
  }
  std::printf("made %d monitors x %d days of files in %.1f s\n", kMonitors, kDays,
              timer.nsecsElapsed() / 1e9);

  for (int cycle = 1; cycle <= 3; ++cycle) {
    timer.restart();
    sup.Downloader().DownloadAll();
    std::printf("DownloadAll cycle %d: %.1f ms on the interface thread\n", cycle,
                timer.nsecsElapsed() / 1e6);
    // The next cycle asks again only for downloads that went quiet: mark them finished.
    TClientListHold hold(sup.Clients());
    for (int i = 0; i < kMonitors; ++i) {
      TDTClient* c = sup.Clients().GetClient(i);
      c->bPerDownload = c->bAlmDownload = c->bCalDownload = c->bPrfDownload = false;
    }
  }
  sup.Shutdown();
  return 0;
}
