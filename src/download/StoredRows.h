#pragma once

#include "download/StartTime.h"

#include <QDate>
#include <QHash>
#include <QString>

#include <optional>

// What the start-time search needs, in memory: per monitor folder and kind of file, the newest
// filled row of the days a download may start after. It learns a folder from one scan of the
// disk (made off the interface thread) and keeps up with every write as it is handed to the
// storage thread, so a cycle over a fleet touches no disk.
class TStoredRows {
 public:
  using Days = TStartTimes::Days;
  using Kinds = QHash<QString, Days>;  // by kind: "alm", "cal", "prf", "per5" ... "per60"

  // The folder's scan has come in.
  bool Known(const QString& folder) const;
  // A scan's findings; what writes noted since it was asked for is newer and stays.
  void AddScan(const QString& folder, const Kinds& kinds);
  // The rows of a file handed over for writing.
  void Note(const QString& folder, const QString& kind, const QDate& day,
            const TStartTimes::Newest& newest, const QDate& today);
  // Where a download of that kind starts; nullopt when nothing is stored.
  std::optional<QDateTime> Start(const QString& folder, const QString& kind,
                                 const QDate& today) const;

 private:
  struct Folder {
    bool scanned = false;
    Kinds kinds;
  };
  QHash<QString, Folder> folders_;
};
