#pragma once

#include "core/PrfDay.h"
#include "core/TCnx.h"
#include "download/StartTime.h"
#include "download/StorageGuard.h"
#include "download/StoredRows.h"

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QStringList>

#include <variant>

class IMonitorLink;
class TDTClient;

// Downloads the stored records of Quietmark-SE and Quietmark-NG monitors into the monthly CSV
// files: the requests at identification and every five minutes, and the storing of the replies.
class TDownloader {
 public:
  // A download without a reply line for this long is taken as lost and asked for again.
  static constexpr qint64 kStaleSecs = 300;
  // The cycle runs every kStaleSecs: a download quiet since the previous cycle's request must
  // count as lost although the timer may fire a little early and a request goes out a little
  // later in its cycle than the check of the next.
  static constexpr qint64 kCycleAllowanceMs = 10000;
  // A day's alarm or calibration file holds at most one record per second of the day: a monitor
  // sending more cannot fill the memory and the disk.
  static constexpr qsizetype kMaxDayRecords = 86400;

  explicit TDownloader(IMonitorLink& link);

  // Every download of a monitor just identified.
  void StartDownloads(TDTClient& c);
  void DownloadAll();
  void DownloadPer(TDTClient& c);
  void RequestPer(TDTClient& c);
  void DownloadAlm(TDTClient& c);
  void DownloadCal(TDTClient& c);
  void DownloadPrf(TDTClient& c);

  bool PerRx(TDTClient& c, const QStringList& f);
  bool AlmRx(TDTClient& c, const QStringList& f);
  bool CalRx(TDTClient& c, const QStringList& f);
  bool PrfRx(TDTClient& c, const QStringList& f);

  // Creates the data folder when missing and reads its free space; false (logged and shown once)
  // while records cannot be stored.
  bool CheckStorage();

  // The record is about to be deleted: no request waits for it any more.
  void Forget(TDTClient& c);
  // Waits until every file handed to the storage thread is written (or has failed) and the
  // results are in; false on time-out. For shutdown and tests.
  bool WaitForStorage(int timeoutMs);
  // Files handed over whose writes have not completed, and files whose write failed.
  int PendingWrites() const { return int(pending_.size()); }

 private:
  enum Kind { kPer, kAlm, kCal, kPrf };
  using Content = std::variant<QStringList, TPrfDay>;
  // A file handed to the storage thread and not yet written: a file opened again meanwhile
  // starts from these rows, not from the disk. A failed write keeps them for the next try.
  struct PendingFile {
    quint64 write = 0;
    bool failed = false;
    Kind kind = kPer;
    Content content;
  };
  struct WriteResult {
    bool folderFailed = false;
    bool ok = false;
  };
  struct Waiting {
    TDTClient* client;
    Kind kind;
    bool operator==(const Waiting&) const = default;
  };
  static bool IsSeOrNg(const TDTClient& c);
  // A cycle leaves a download alone while its replies are still coming.
  bool Busy(const TDTClient& c, Kind kind) const;
  void SetFlag(TDTClient& c, Kind kind, bool on);
  void Touch(TDTClient& c, Kind kind);
  // A request starts its kind afresh: rows an unfinished earlier download left in memory are
  // sent again (the start time comes from the files), so keeping them would store them twice.
  void BeginRequest(TDTClient& c, Kind kind);
  // Replies are stored only for a record with a monitor folder (an identified monitor).
  static bool HasFolder(const TDTClient& c);
  bool Send(TDTClient& c, const QString& line);
  // No request goes out and no reply is stored while this is false.
  bool Storable();
  // Records from 2000-01-01 to tomorrow are taken; others are logged (once in a row) and refused.
  bool DateAccepted(const TDTClient& c, const QDate& date);

  // Alarm and calibration replies: one day's records (several, ";"-separated, when bSeveral),
  // or a line starting with "." that replaces the file's first line.
  bool DayRecordsRx(TDTClient& c, const QStringList& f, Kind kind, const QString& sStub,
                    bool bSeveral);
  // The common frame of storing one reply line; `place` puts the line into the open buffer.
  template <class Place>
  void Store(TDTClient& c, Kind kind, const QDate& date, const QString& fileName, int period,
             bool endMarker, Place place);
  void Close(TDTClient& c, Kind kind);
  // Makes the file of that day the open one, handing the one it replaces to the storage thread;
  // false (logged) when the line cannot be stored.
  bool OpenFile(TDTClient& c, Kind kind, const QDate& date, const QString& fileName, int period);
  // The open file's rows as read from the disk (or from a write still pending); false when the
  // file cannot be read or a damaged one cannot be kept.
  bool LoadOpenFile(TDTClient& c, Kind kind, const QString& path, int period);
  void ClearBuffer(TDTClient& c, Kind kind);
  Content TakeBuffer(TDTClient& c, Kind kind);

  // Hands the rows to the storage thread and notes their newest row for the start times; they
  // count against the sending monitor's connection until written.
  void Write(const QString& path, Kind kind, Content content, const TCtx& from = {});
  void Written(const QString& path, Kind kind, quint64 write, const WriteResult& result);
  void RetryFailedWrites();

  // The start of a request of that kind ("per15", "alm", ...); nullopt while the monitor's
  // folder is being scanned: the request then goes out when the scan is in.
  std::optional<QDateTime> StartTime(TDTClient& c, Kind kind, const QString& key);
  void Scanned(const QString& folder, const TStoredRows::Kinds& kinds,
               const QHash<QString, int>& failures);

  QStringList& Buffer(TDTClient& c, Kind kind);
  QString& Path(TDTClient& c, Kind kind);
  bool& Flag(TDTClient& c, Kind kind);

  IMonitorLink& link_;
  TStorageGuard guard_;
  QString lastRefusal_;
  QString lastFullFile_;
  TStoredRows stored_;
  QHash<QString, PendingFile> pending_;
  quint64 writes_ = 0;
  // Requests waiting for their folder's scan, by folder.
  QHash<QString, QList<Waiting>> waiting_;
};
