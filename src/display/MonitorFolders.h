#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// The monitor folders below the data path and the names in their term.cfg, read again only when
// the data path or a term.cfg has changed on disk. A change is seen through the modification time;
// a file stamped within the last two seconds of a read is read again next time, so a change
// within the clock's resolution is never missed.
class TMonitorFolders {
 public:
  // Monitor folders: directories directly below dataPath (not links) whose names do not begin
  // with "." or "__", in the order the file system lists them.
  const QStringList& Folders(const QString& dataPath);
  // The "name" key of [head] in the folder's term.cfg; empty when the file or key is missing.
  QString Name(const QString& dataPath, const QString& folder);
  // Forgets everything, so the next calls read from disk.
  void Invalidate();

  // Counts of real reads, for tests.
  int scans = 0;
  int nameReads = 0;

 private:
  struct Stamp {
    bool exists = false;
    qint64 mtime = 0;       // file-system clock ticks
    bool unsettled = true;  // stamped too recently to be trusted
    bool operator==(const Stamp& o) const { return exists == o.exists && mtime == o.mtime; }
  };
  static Stamp StampOf(const QString& path);
  static bool Current(const Stamp& cached, const Stamp& now) {
    return !cached.unsettled && cached == now;
  }

  QString scannedPath_;
  Stamp scanned_;
  QStringList folders_;
  struct CachedName {
    Stamp stamp;
    QString name;
  };
  QHash<QString, CachedName> names_;  // by term.cfg path
};
