#include "display/MonitorFolders.h"

#include "core/IniFile.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace {
// A stamp this close to the moment of reading may still change without a visible difference.
constexpr qint64 kSettleMs = 2000;

QString TermCfgPath(const QString& dataPath, const QString& folder) {
  return dataPath + folder + QStringLiteral("/term.cfg");
}
}  // namespace

bool TMonitorFolders::IsMonitorFolderName(const QString& name) {
  return !name.isEmpty() && !name.startsWith(QLatin1Char('.')) &&
         !name.startsWith(QLatin1String("__"));
}

TMonitorFolders::Stamp TMonitorFolders::StampOf(const QString& path) {
  Stamp s;
  const QFileInfo fi(path);
  s.exists = fi.exists();
  if (s.exists) {
    s.mtimeMs = fi.lastModified().toMSecsSinceEpoch();
    s.size = fi.isDir() ? 0 : fi.size();
  }
  s.unsettled = s.exists && QDateTime::currentMSecsSinceEpoch() - s.mtimeMs < kSettleMs;
  return s;
}

const QStringList& TMonitorFolders::Folders(const QString& dataPath) {
  const Stamp now = StampOf(dataPath);
  if (dataPath == scannedPath_ && now.exists && Current(scanned_, now)) return folders_;
  ++scans;
  scannedPath_ = dataPath;
  scanned_ = now;
  folders_.clear();
  if (!now.exists || dataPath.isEmpty()) return folders_;
  const QFileInfoList list =
      QDir(dataPath).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
  for (const QFileInfo& fi : list) {
    if (fi.isSymLink() || !IsMonitorFolderName(fi.fileName())) continue;
    folders_.append(fi.fileName());
  }
  // Names of folders that have gone are not kept.
  QSet<QString> kept;
  for (const QString& folder : folders_) kept.insert(TermCfgPath(dataPath, folder));
  for (auto it = names_.begin(); it != names_.end();)
    it = kept.contains(it.key()) ? std::next(it) : names_.erase(it);
  return folders_;
}

QString TMonitorFolders::Name(const QString& dataPath, const QString& folder) {
  const QString path = TermCfgPath(dataPath, folder);
  const Stamp now = StampOf(path);
  auto it = names_.find(path);
  if (it != names_.end() && Current(it->stamp, now)) return it->name;
  ++nameReads;
  const QString name =
      now.exists ? IniFile(path).ReadString(QStringLiteral("head"), QStringLiteral("name"), {})
                 : QString();
  names_.insert(path, CachedName{now, name});
  return name;
}

void TMonitorFolders::Invalidate() {
  scannedPath_.clear();
  scanned_ = Stamp();
  folders_.clear();
  names_.clear();
}
