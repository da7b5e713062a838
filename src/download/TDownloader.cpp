#include "download/TDownloader.h"

#include "core/Clock.h"
#include "core/EventLog.h"
#include "core/IMonitorLink.h"
#include "core/IMonitorWindow.h"
#include "core/ISupervisorUi.h"
#include "core/MonitorFolder.h"
#include "core/TCfg.h"
#include "core/TClientList.h"
#include "core/Text.h"
#include "download/DataFiles.h"
#include "download/FileShape.h"

#include <QDir>
#include <QFile>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

const QString kType_SE = QStringLiteral("Quietmark-SE");
const QString kType_NG = QStringLiteral("Quietmark-NG");
const QString kEnd = QStringLiteral(".end");

struct Texts {
  const char* stub;
  const char* folderFailure;
  const char* saveFailure;
};
const Texts kTexts[4] = {
    {"per", "Failed to create periodic directory: ", "Failed to save periodic file: "},
    {"alm", "Failed to create alarm directory: ", "Failed to save alarm file: "},
    {"cal", "Failed to create calibration directory: ", "Failed to save calibration file: "},
    {"prf", "Failed to create prf directory: ", "Failed to save prf file: "},
};

QString StartText(const QDateTime& t) { return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")); }

// Year, month and day of a reply; nullopt unless they convert and name a real day.
std::optional<QDate> ReplyDate(const QStringList& f) {
  const auto y = qmtext::ToInt(f.value(1));
  const auto m = qmtext::ToInt(f.value(2));
  const auto d = qmtext::ToInt(f.value(3));
  if (!y || !m || !d || *y < 1 || *y > 9999) return std::nullopt;
  const QDate date(*y, *m, *d);
  if (!date.isValid()) return std::nullopt;
  return date;
}

}  // namespace

TDownloader::TDownloader(IMonitorLink& link)
    : link_(link), guard_([this](const QString& text) { link_.Ui().ShowStorageState(text); }) {}

QStringList& TDownloader::Buffer(TDTClient& c, Kind k) {
  return k == kPer ? c.slPerFile : k == kAlm ? c.slAlmFile : k == kCal ? c.slCalFile : c.slPrfFile;
}
QString& TDownloader::Path(TDTClient& c, Kind k) {
  return k == kPer ? c.sPerFile : k == kAlm ? c.sAlmFile : k == kCal ? c.sCalFile : c.sPrfFile;
}
bool& TDownloader::Flag(TDTClient& c, Kind k) {
  return k == kPer   ? c.bPerDownload
         : k == kAlm ? c.bAlmDownload
         : k == kCal ? c.bCalDownload
                     : c.bPrfDownload;
}

bool TDownloader::IsSeOrNg(const TDTClient& c) {
  return c.sType == kType_SE || c.sType == kType_NG;
}

void TDownloader::SetFlag(TDTClient& c, Kind kind, bool on) {
  Flag(c, kind) = on;
  if (c.frame) c.frame->SetDownloading(c.Downloading());
}

void TDownloader::Touch(TDTClient& c, Kind kind) { c.dtDownloadActivity[kind] = qmclock::Now(); }

bool TDownloader::Busy(const TDTClient& c, Kind kind) const {
  const bool flag = kind == kPer   ? c.bPerDownload
                    : kind == kAlm ? c.bAlmDownload
                    : kind == kCal ? c.bCalDownload
                                   : c.bPrfDownload;
  const QDateTime& last = c.dtDownloadActivity[kind];
  return flag && last.isValid() &&
         last.msecsTo(qmclock::Now()) < kStaleSecs * 1000 - kCycleAllowanceMs;
}

void TDownloader::BeginRequest(TDTClient& c, Kind kind) {
  Buffer(c, kind).clear();
  Path(c, kind).clear();
  SetFlag(c, kind, true);
  Touch(c, kind);
}

bool TDownloader::HasFolder(const TDTClient& c) {
  return qmfolder::ValidMonitorId(c.sID) && !c.Folder().isEmpty();
}

bool TDownloader::Send(TDTClient& c, const QString& line) { return link_.Send(c.ctx, line); }

bool TDownloader::CheckStorage() { return guard_.Check(link_.Cfg().DataPath()); }

bool TDownloader::Storable() { return guard_.Ready(link_.Cfg().DataPath()); }

bool TDownloader::DateAccepted(const TDTClient& c, const QDate& date) {
  if (date >= QDate(2000, 1, 1) && date <= qmclock::Now().date().addDays(1)) return true;
  const QString refusal =
      c.sID + QStringLiteral(": record date out of range: ") + date.toString(Qt::ISODate);
  if (refusal != lastRefusal_) LogMsg(refusal);
  lastRefusal_ = refusal;
  return false;
}

QDateTime TDownloader::LastDateTime(TDTClient& c, const QString& sStub) {
  return starts_.LastDateTime(c.Folder(), c.sID, sStub, qmclock::Now().date());
}

QDateTime TDownloader::LastPerDateTime(TDTClient& c, int nPeriod) {
  return starts_.LastPerDateTime(c.Folder(), c.sID, nPeriod, qmclock::Now().date());
}

void TDownloader::StartDownloads(TDTClient& c) {
  DownloadPer(c);
  DownloadAlm(c);
  DownloadCal(c);
  DownloadPrf(c);
}

void TDownloader::DownloadAll() {
  if (!CheckStorage()) return;
  TClientList& list = link_.Clients();
  TClientListHold hold(list);
  for (int i = 0; i < list.Count(); ++i) {
    TDTClient* c = list.GetClient(i);
    if (!c || !c->Connected()) continue;
    if (!Busy(*c, kPer)) DownloadPer(*c);
    if (!Busy(*c, kAlm)) DownloadAlm(*c);
    if (!Busy(*c, kCal)) DownloadCal(*c);
    if (!Busy(*c, kPrf)) DownloadPrf(*c);
  }
}

void TDownloader::DownloadPer(TDTClient& c) {
  if (!IsSeOrNg(c)) return;
  c.iPeriod = 0;
  RequestPer(c);
}

void TDownloader::RequestPer(TDTClient& c) {
  if (c.iPeriod >= 5 || !Storable()) return;
  BeginRequest(c, kPer);
  const int period = qmfiles::kPeriods[c.iPeriod];
  Send(c, QStringLiteral("getper&") + StartText(LastPerDateTime(c, period)) + QLatin1Char('&') +
              QString::number(period));
  ++c.iPeriod;
}

void TDownloader::DownloadAlm(TDTClient& c) {
  if (!IsSeOrNg(c) || !Storable()) return;
  BeginRequest(c, kAlm);
  Send(c, QStringLiteral("getalm&") + StartText(LastDateTime(c, QStringLiteral("alm"))));
}

void TDownloader::DownloadCal(TDTClient& c) {
  if (c.sType != kType_SE || !Storable()) return;
  BeginRequest(c, kCal);
  Send(c, QStringLiteral("getcal&") + StartText(LastDateTime(c, QStringLiteral("cal"))));
}

void TDownloader::DownloadPrf(TDTClient& c) {
  if (!IsSeOrNg(c) || !Storable()) return;
  BeginRequest(c, kPrf);
  Send(c, QStringLiteral("getprf&") + StartText(LastDateTime(c, QStringLiteral("prf"))));
}

bool TDownloader::Close(TDTClient& c, Kind kind) {
  QString& path = Path(c, kind);
  if (path.isEmpty()) return true;
  QString error;
  if (!qmfiles::Save(path, Buffer(c, kind), &error)) {
    // The buffer stays open, so the next end marker writes it again.
    LogMsg(QLatin1String(kTexts[kind].saveFailure) + path);
    return false;
  }
  Buffer(c, kind).clear();
  path.clear();
#ifdef __GLIBC__
  // A closed prf buffer frees some 90000 small blocks; hand the memory back to the system.
  if (kind == kPrf) malloc_trim(0);
#endif
  return true;
}

bool TDownloader::OpenFile(TDTClient& c, Kind kind, const QDate& date, const QString& fileName,
                           int period) {
  const QString folder =
      c.Folder() + QLatin1Char('/') + qmfiles::MonthFolder(date.year(), date.month());
  if (!QDir(folder).exists() && !QDir().mkpath(folder)) {
    LogMsg(QLatin1String(kTexts[kind].folderFailure) + folder);
    return false;
  }
  const QString path = folder + QLatin1Char('/') + fileName;
  QString& open = Path(c, kind);
  if (path == open) return true;
  QStringList& buffer = Buffer(c, kind);
  if (!open.isEmpty() && !qmfiles::Save(open, buffer)) {
    // Keep the rows of the file that could not be written rather than losing them.
    LogMsg(QLatin1String(kTexts[kind].saveFailure) + open);
    return false;
  }
  buffer.clear();
  open = path;
  if (QFile::exists(path)) {
    if (auto lines = qmfiles::Load(path)) {
      buffer = std::move(*lines);
    } else {
      LogMsg(QLatin1String(kTexts[kind].saveFailure) + path);
      open.clear();
      return false;
    }
  }
  // An empty file counts as missing.
  if (buffer.isEmpty() && kind == kPer) {
    qmfiles::InitPerFile(buffer, period);
  } else if (buffer.isEmpty() && kind == kPrf) {
    qmfiles::InitPrfFile(buffer);
  } else if (kind == kPer || kind == kPrf) {
    QString kept;
    const auto repair = qmfiles::RepairDamaged(path, buffer, kind == kPer ? period : 0, &kept);
    if (repair == qmfiles::Repair::kRebuilt)
      LogMsg(QStringLiteral("Damaged file rebuilt: ") + path + QStringLiteral(" (kept as ") + kept +
             QLatin1Char(')'));
    if (repair == qmfiles::Repair::kFailed) {
      // Storing on top would lose the damaged file, which must be kept.
      LogMsg(QLatin1String(kTexts[kind].saveFailure) + path);
      buffer.clear();
      open.clear();
      return false;
    }
  }
  return true;
}

template <class Place>
bool TDownloader::Store(TDTClient& c, Kind kind, const QDate& date, const QString& fileName,
                        int period, bool endMarker, Place place) {
  Touch(c, kind);
  if (!Storable()) {
    // The records stay on the monitor: the next download asks for them again.
    if (endMarker) {
      Buffer(c, kind).clear();
      Path(c, kind).clear();
      SetFlag(c, kind, false);
    }
    return true;
  }
  if (endMarker) {
    if (!Close(c, kind)) return false;
    SetFlag(c, kind, false);
    if (kind == kPer) RequestPer(c);
    return true;
  }
  if (!OpenFile(c, kind, date, fileName, period)) return true;
  place(Buffer(c, kind), Path(c, kind));
  return true;
}

bool TDownloader::PerRx(TDTClient& c, const QStringList& f) {
  if (!HasFolder(c)) return false;
  const auto date = ReplyDate(f);
  const auto period = qmtext::ToInt(f.value(4));
  if (!date || !period || !qmfiles::ValidPeriod(*period)) return false;
  if (!DateAccepted(c, *date)) return false;
  const QString record = qmfiles::CleanRecord(f.value(5));
  return Store(c, kPer, *date, qmfiles::PerFileName(date->day(), *period), *period, record == kEnd,
               [&](QStringList& buffer, const QString& path) {
                 if (record.isEmpty()) return;
                 if (record.startsWith(QLatin1Char('.'))) {
                   if (!qmfiles::PutPerLine(buffer, record))
                     LogMsg(QLatin1String(kTexts[kPer].saveFailure) + path);
                   return;
                 }
                 QString line = record;
                 if (c.sType == kType_SE) {
                   bool outOfRange = false;
                   const auto scaled = qmfiles::ScalePerLine(record, &outOfRange);
                   if (!scaled) return;
                   if (outOfRange)
                     LogMsg(QStringLiteral("Level out of range in periodic file: ") + path);
                   line = *scaled;
                 }
                 qmfiles::PutPerLine(buffer, line);
               });
}

bool TDownloader::AlmRx(TDTClient& c, const QStringList& f) {
  return DayRecordsRx(c, f, kAlm, QStringLiteral("alm"), true);
}

bool TDownloader::CalRx(TDTClient& c, const QStringList& f) {
  return DayRecordsRx(c, f, kCal, QStringLiteral("cal"), false);
}

bool TDownloader::DayRecordsRx(TDTClient& c, const QStringList& f, Kind kind, const QString& sStub,
                               bool bSeveral) {
  if (!HasFolder(c)) return false;
  const auto date = ReplyDate(f);
  if (!date || f.size() < 5) return false;
  if (!DateAccepted(c, *date)) return false;
  const QString records = qmfiles::CleanRecord(f[4]);
  if (records.isEmpty()) return true;
  bool full = false;
  const bool stored = Store(
      c, kind, *date, qmfiles::DayFileName(sStub, date->day()), 0, records == kEnd,
      [&](QStringList& buffer, const QString& path) {
        if (records.startsWith(QLatin1Char('.')) && !buffer.isEmpty()) {
          buffer[0] = records;
          return;
        }
        const QStringList rows =
            bSeveral ? records.split(QLatin1Char(';'), Qt::KeepEmptyParts) : QStringList{records};
        const bool header = !buffer.isEmpty() && buffer[0].startsWith(QLatin1Char('.'));
        const qsizetype room = std::max<qsizetype>(0, kMaxDayRecords - buffer.size() + header);
        buffer << rows.mid(0, room);
        if (rows.size() <= room) return;
        full = true;
        if (path != lastFullFile_)
          LogMsg(c.sID + QStringLiteral(": day file full (86400 records): ") + path);
        lastFullFile_ = path;
      });
  return stored && !full;
}

bool TDownloader::PrfRx(TDTClient& c, const QStringList& f) {
  if (!HasFolder(c)) return false;
  const auto date = ReplyDate(f);
  if (!date) return false;
  if (!DateAccepted(c, *date)) return false;
  const QString& time = f.value(4);
  const QString& values = f.value(5);
  if (time.isEmpty() || values.isEmpty()) return true;
  auto fileOf = [](const QDate& d) { return qmfiles::DayFileName(QStringLiteral("prf"), d.day()); };
  return Store(
      c, kPrf, *date, fileOf(*date), 0, time == kEnd,
      [&](QStringList& buffer, const QString& path) {
        if (time.startsWith(QLatin1Char('.'))) {
          if (buffer.isEmpty())
            buffer << qmfiles::CleanRecord(time);
          else
            buffer[0] = qmfiles::CleanRecord(time);
          return;
        }
        const QList<QStringView> hms = qmfiles::SplitDelimited(time, QLatin1Char(':'));
        const auto h = qmtext::ToInt(hms.value(0));
        const auto m = qmtext::ToInt(hms.value(1));
        const auto s = qmtext::ToInt(hms.value(2));
        if (!h || !m || !s || *h < 0 || *h > 23 || *m < 0 || *m > 59 || *s < 0 || *s > 59) {
          LogMsg(QStringLiteral("Error translating PRF to: ") + path);
          return;
        }
        int t = *h * 3600 + *m * 60 + *s;
        bool outOfRangeLogged = false;
        QDate day = *date;
        QStringList* target = &buffer;
        for (const QStringView text : qmfiles::SplitDelimited(values, QLatin1Char(','))) {
          const auto v = qmfiles::ToNumber(text);
          if (!v) {
            LogMsg(QStringLiteral("Error translating PRF to: ") + Path(c, kPrf));
            return;
          }
          if (t >= 86400) {
            // Values past midnight belong to the next day's file.
            day = day.addDays(1);
            t = 0;
            if (!DateAccepted(c, day)) return;
            if (!OpenFile(c, kPrf, day, fileOf(day), 0)) return;
            target = &Buffer(c, kPrf);
          }
          if (!qmfiles::PutPrfValue(*target, *v / 10.0, t) && !outOfRangeLogged) {
            LogMsg(QStringLiteral("Level out of range in PRF to: ") + Path(c, kPrf));
            outOfRangeLogged = true;
          }
          ++t;
        }
      });
}
