#include "download/TDownloader.h"

#include "core/Clock.h"
#include "core/EventLog.h"
#include "core/IMonitorLink.h"
#include "core/IMonitorWindow.h"
#include "core/ISupervisorUi.h"
#include "core/MonitorFolder.h"
#include "core/SaveLines.h"
#include "core/StorageQueue.h"
#include "core/TCfg.h"
#include "core/TClientList.h"
#include "core/Text.h"
#include "download/DataFiles.h"
#include "download/FileShape.h"
#include "download/PrfFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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
  return k == kPer ? c.slPerFile : k == kAlm ? c.slAlmFile : c.slCalFile;
}

void TDownloader::ClearBuffer(TDTClient& c, Kind kind) {
  if (kind == kPrf)
    c.slPrfFile.Clear();
  else
    Buffer(c, kind).clear();
}

TDownloader::Content TDownloader::TakeBuffer(TDTClient& c, Kind kind) {
  Content content;
  if (kind == kPrf)
    content = std::exchange(c.slPrfFile, TPrfDay{});
  else
    content = std::exchange(Buffer(c, kind), QStringList{});
  return content;
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
  ClearBuffer(c, kind);
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

namespace {
const QString kKinds[] = {QStringLiteral("per5"),  QStringLiteral("per10"), QStringLiteral("per15"),
                          QStringLiteral("per30"), QStringLiteral("per60"), QStringLiteral("alm"),
                          QStringLiteral("cal"),   QStringLiteral("prf")};
}  // namespace

std::optional<QDateTime> TDownloader::StartTime(TDTClient& c, Kind kind, const QString& key) {
  const QString folder = c.Folder();
  const QDate today = qmclock::Now().date();
  if (stored_.Known(folder)) {
    if (auto start = stored_.Start(folder, key, today)) return start;
    LogDebug(c.sID + QStringLiteral(":No ") + QLatin1String(kTexts[kind].stub) +
             QStringLiteral(" data files found, requesting complete download"));
    return QDateTime(TStartTimes::kFloor.addDays(-1), QTime(0, 0));
  }
  QList<Waiting>& waiting = waiting_[folder];
  const bool scanning = !waiting.isEmpty();
  if (!waiting.contains(Waiting{&c, kind})) waiting << Waiting{&c, kind};
  if (scanning) return std::nullopt;
  // The folder's files are looked at once, off the interface thread; from then on the start
  // times come from memory.
  struct Found {
    TStoredRows::Kinds kinds;
    QHash<QString, int> failures;
  };
  auto found = std::make_shared<Found>();
  link_.Storage().Post(
      folder,
      [folder, today, found] {
        TStartTimes search;
        for (const QString& k : kKinds) {
          int failures = 0;
          found->kinds.insert(k, search.Search(folder, k, today, &failures));
          if (failures) found->failures.insert(k, failures);
        }
      },
      [this, folder, found] { Scanned(folder, found->kinds, found->failures); });
  return std::nullopt;
}

void TDownloader::Scanned(const QString& folder, const TStoredRows::Kinds& kinds,
                          const QHash<QString, int>& failures) {
  stored_.AddScan(folder, kinds);
  for (auto it = failures.begin(); it != failures.end(); ++it)
    for (int i = 0; i < (it.key().startsWith(QLatin1String("per")) ? it.value() : 1); ++i)
      LogMsg(QStringLiteral("Integer conversion failed"));
  for (const Waiting& w : waiting_.take(folder)) {
    TDTClient* c = w.client;
    if (!c->Connected() || c->Folder() != folder) continue;
    switch (w.kind) {
      case kPer:
        RequestPer(*c);
        break;
      case kAlm:
        DownloadAlm(*c);
        break;
      case kCal:
        DownloadCal(*c);
        break;
      case kPrf:
        DownloadPrf(*c);
        break;
    }
  }
}

void TDownloader::StartDownloads(TDTClient& c) {
  DownloadPer(c);
  DownloadAlm(c);
  DownloadCal(c);
  DownloadPrf(c);
}

void TDownloader::DownloadAll() {
  if (!CheckStorage()) return;
  RetryFailedWrites();
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
  const auto start = StartTime(c, kPer, QStringLiteral("per") + QString::number(period));
  if (!start) return;
  Send(c,
       QStringLiteral("getper&") + StartText(*start) + QLatin1Char('&') + QString::number(period));
  ++c.iPeriod;
}

void TDownloader::DownloadAlm(TDTClient& c) {
  if (!IsSeOrNg(c) || !Storable()) return;
  BeginRequest(c, kAlm);
  if (const auto start = StartTime(c, kAlm, QStringLiteral("alm")))
    Send(c, QStringLiteral("getalm&") + StartText(*start));
}

void TDownloader::DownloadCal(TDTClient& c) {
  if (c.sType != kType_SE || !Storable()) return;
  BeginRequest(c, kCal);
  if (const auto start = StartTime(c, kCal, QStringLiteral("cal")))
    Send(c, QStringLiteral("getcal&") + StartText(*start));
}

void TDownloader::DownloadPrf(TDTClient& c) {
  if (!IsSeOrNg(c) || !Storable()) return;
  BeginRequest(c, kPrf);
  if (const auto start = StartTime(c, kPrf, QStringLiteral("prf")))
    Send(c, QStringLiteral("getprf&") + StartText(*start));
}

void TDownloader::Write(const QString& path, Kind kind, Content content, const TCtx& from) {
  const auto name = qmfiles::ParseFileName(path);
  if (name) {
    TStartTimes::Newest newest;
    if (const auto* day = std::get_if<TPrfDay>(&content)) {
      newest.twoLines = !day->IsEmpty();
      for (int s = TPrfDay::kSlots - 1; s >= 0 && !day->IsEmpty(); --s) {
        if (day->Code(s) == TPrfDay::kEmpty) continue;
        const QString row = day->Row(s);
        if (!qmfiles::Filled(row)) continue;
        newest.seconds = qmfiles::RowTime(row);
        break;
      }
    } else {
      newest = TStartTimes::NewestOfLines(std::get<QStringList>(content), kind != kPer);
    }
    stored_.Note(name->folder, name->kind, name->day, newest, qmclock::Now().date());
  }
  const quint64 write = ++writes_;
  pending_.insert(path, PendingFile{write, false, kind, content});
  auto result = std::make_shared<WriteResult>();
  qint64 bytes = 0;
  if (std::holds_alternative<TPrfDay>(content))
    bytes = qint64(TPrfDay::kSlots) * 2;
  else
    for (const QString& line : std::get<QStringList>(content)) bytes += 2 * line.size() + 24;
  if (from) from->AddStoring(bytes);
  // The files of one kind of one monitor are written in the order they were handed over: after
  // a crash the newest file on the disk must not stand for an older one that never got there.
  const QString key = name ? name->folder + QLatin1Char('|') + name->kind : path;
  link_.Storage().Post(
      key,
      [path, content = std::move(content), result] {
        if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
          result->folderFailed = true;
          return;
        }
        const QByteArray bytes = std::holds_alternative<TPrfDay>(content)
                                     ? std::get<TPrfDay>(content).Text()
                                     : qmtext::JoinCrLf(std::get<QStringList>(content));
        result->ok = qmtext::SaveBytes(path, bytes);
      },
      [this, path, kind, write, result, from, bytes] {
        if (from) from->AddStoring(-bytes);
        Written(path, kind, write, *result);
      });
}

void TDownloader::Written(const QString& path, Kind kind, quint64 write,
                          const WriteResult& result) {
  const auto it = pending_.find(path);
  const bool newest = it != pending_.end() && it->write == write;
  if (result.ok) {
    if (newest) pending_.erase(it);
    return;
  }
  // The rows stay in memory: the file's next change or the next cycle writes them again, and
  // the file on the disk stays as it was.
  if (result.folderFailed)
    LogMsg(QLatin1String(kTexts[kind].folderFailure) + QFileInfo(path).absolutePath());
  LogMsg(QLatin1String(kTexts[kind].saveFailure) + path);
  if (newest) it->failed = true;
}

void TDownloader::RetryFailedWrites() {
  QList<std::pair<QString, PendingFile>> failed;
  for (auto it = pending_.begin(); it != pending_.end(); ++it)
    if (it->failed) failed.append({it.key(), it.value()});
  for (const auto& [path, file] : failed) Write(path, file.kind, file.content);
}

void TDownloader::Forget(TDTClient& c) {
  for (QList<Waiting>& waiting : waiting_)
    waiting.removeIf([&](const Waiting& w) { return w.client == &c; });
}

bool TDownloader::WaitForStorage(int timeoutMs) { return link_.Storage().WaitIdle(timeoutMs); }

void TDownloader::Close(TDTClient& c, Kind kind) {
  QString& path = Path(c, kind);
  if (path.isEmpty()) return;
  Write(path, kind, TakeBuffer(c, kind), c.ctx);
  path.clear();
}

bool TDownloader::OpenFile(TDTClient& c, Kind kind, const QDate& date, const QString& fileName,
                           int period) {
  const QString path = c.Folder() + QLatin1Char('/') +
                       qmfiles::MonthFolder(date.year(), date.month()) + QLatin1Char('/') +
                       fileName;
  QString& open = Path(c, kind);
  if (path == open) return true;
  if (!open.isEmpty()) Write(open, kind, TakeBuffer(c, kind), c.ctx);
  open = path;
  if (LoadOpenFile(c, kind, path, period)) return true;
  ClearBuffer(c, kind);
  open.clear();
  return false;
}

bool TDownloader::LoadOpenFile(TDTClient& c, Kind kind, const QString& path, int period) {
  ClearBuffer(c, kind);
  if (const auto it = pending_.constFind(path); it != pending_.constEnd()) {
    if (kind == kPrf)
      c.slPrfFile = std::get<TPrfDay>(it->content);
    else
      Buffer(c, kind) = std::get<QStringList>(it->content);
    return true;
  }
  QByteArray bytes;
  if (QFile::exists(path)) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
      LogMsg(QLatin1String(kTexts[kind].saveFailure) + path);
      return false;
    }
    bytes = file.readAll();
  }
  if (kind == kPrf && !bytes.isEmpty()) {
    // The usual case, a sound file, is read straight into the day.
    if (auto day = qmfiles::ParsePrfDay(bytes)) {
      c.slPrfFile = std::move(*day);
      return true;
    }
  }
  QStringList lines = qmtext::SplitLines(bytes);
  // An empty file counts as missing.
  if (lines.isEmpty() && kind == kPer) {
    qmfiles::InitPerFile(lines, period);
  } else if (lines.isEmpty() && kind == kPrf) {
    c.slPrfFile.Init();
    return true;
  } else if (kind == kPer || kind == kPrf) {
    QString kept;
    const auto repair = qmfiles::RepairDamaged(path, lines, kind == kPer ? period : 0, &kept);
    if (repair == qmfiles::Repair::kRebuilt)
      LogMsg(QStringLiteral("Damaged file rebuilt: ") + path + QStringLiteral(" (kept as ") + kept +
             QLatin1Char(')'));
    if (repair == qmfiles::Repair::kFailed) {
      // Storing on top would lose the damaged file, which must be kept.
      LogMsg(QLatin1String(kTexts[kind].saveFailure) + path);
      return false;
    }
  }
  if (kind == kPrf)
    c.slPrfFile = qmfiles::PrfDayFromLines(lines);
  else
    Buffer(c, kind) = std::move(lines);
  return true;
}

template <class Place>
void TDownloader::Store(TDTClient& c, Kind kind, const QDate& date, const QString& fileName,
                        int period, bool endMarker, Place place) {
  Touch(c, kind);
  if (!Storable()) {
    // The records stay on the monitor: the next download asks for them again.
    if (endMarker) {
      ClearBuffer(c, kind);
      Path(c, kind).clear();
      SetFlag(c, kind, false);
    }
    return;
  }
  if (endMarker) {
    Close(c, kind);
    SetFlag(c, kind, false);
    if (kind == kPer) RequestPer(c);
    return;
  }
  if (OpenFile(c, kind, date, fileName, period)) place(Path(c, kind));
}

bool TDownloader::PerRx(TDTClient& c, const QStringList& f) {
  if (!HasFolder(c)) return false;
  const auto date = ReplyDate(f);
  const auto period = qmtext::ToInt(f.value(4));
  if (!date || !period || !qmfiles::ValidPeriod(*period)) return false;
  if (!DateAccepted(c, *date)) return false;
  const QString record = qmfiles::CleanRecord(f.value(5));
  Store(c, kPer, *date, qmfiles::PerFileName(date->day(), *period), *period, record == kEnd,
        [&](const QString& path) {
          QStringList& buffer = c.slPerFile;
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
            if (outOfRange) LogMsg(QStringLiteral("Level out of range in periodic file: ") + path);
            line = *scaled;
          }
          qmfiles::PutPerLine(buffer, line);
        });
  return true;
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
  Store(c, kind, *date, qmfiles::DayFileName(sStub, date->day()), 0, records == kEnd,
        [&](const QString& path) {
          QStringList& buffer = Buffer(c, kind);
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
  return !full;
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
  Store(c, kPrf, *date, fileOf(*date), 0, time == kEnd, [&](const QString& path) {
    if (time.startsWith(QLatin1Char('.'))) {
      c.slPrfFile.SetHeader(qmfiles::CleanRecord(time));
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
      }
      const qint16 code = TPrfDay::Encode(*v / 10.0);
      c.slPrfFile.Put(t, code);
      if (code == TPrfDay::kEmpty && !outOfRangeLogged) {
        LogMsg(QStringLiteral("Level out of range in PRF to: ") + Path(c, kPrf));
        outOfRangeLogged = true;
      }
      ++t;
    }
  });
  return true;
}
