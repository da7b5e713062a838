#pragma once

#include "download/StartTime.h"
#include "download/StorageGuard.h"

#include <QDateTime>
#include <QStringList>

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

  QDateTime LastDateTime(TDTClient& c, const QString& sStub);
  QDateTime LastPerDateTime(TDTClient& c, int nPeriod);

 private:
  enum Kind { kPer, kAlm, kCal, kPrf };
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
  // Returns false only when writing at an end marker failed.
  template <class Place>
  bool Store(TDTClient& c, Kind kind, const QDate& date, const QString& fileName, int period,
             bool endMarker, Place place);
  bool Close(TDTClient& c, Kind kind);
  // Makes the file of that day the open one, writing the one it replaces; false (logged) when
  // the line cannot be stored.
  bool OpenFile(TDTClient& c, Kind kind, const QDate& date, const QString& fileName, int period);

  QStringList& Buffer(TDTClient& c, Kind kind);
  QString& Path(TDTClient& c, Kind kind);
  bool& Flag(TDTClient& c, Kind kind);

  IMonitorLink& link_;
  TStorageGuard guard_;
  QString lastRefusal_;
  QString lastFullFile_;
  TStartTimes starts_;
};
