#include "display/MonitorFolders.h"

#include "core/IniFile.h"
#include "core/MonitorFolder.h"

#include <QFile>
#include <QSet>

#include <filesystem>

namespace {
// A stamp this close to the moment of reading may still change without a visible difference.
constexpr std::chrono::seconds kSettle{2};
}  // namespace

// One stat per call: this runs for every known monitor ten times a second.
TMonitorFolders::Stamp TMonitorFolders::StampOf(const QString& path) {
  namespace fs = std::filesystem;
  Stamp s;
  std::error_code ec;
  const fs::file_time_type t = fs::last_write_time(fs::path(path.toStdU16String()), ec);
  s.exists = !ec;
  if (s.exists) {
    s.mtime = t.time_since_epoch().count();
    s.unsettled = fs::file_time_type::clock::now() - t < kSettle;
  }
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
  // The listing gives each entry's type on most file systems, so no folder needs a stat of its
  // own: in a burst of new monitors the folder is listed again every tick.
  namespace fs = std::filesystem;
  std::error_code ec;
  for (fs::directory_iterator it(fs::path(QFile::encodeName(dataPath).toStdString()), ec), end;
       !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (it->is_symlink(typeError) || !it->is_directory(typeError)) continue;
    const QString name = QFile::decodeName(it->path().filename().c_str());
    if (qmfolder::IsMonitorFolderName(name)) folders_.append(name);
  }
  // Names of folders that have gone are not kept.
  if (names_.isEmpty()) return folders_;
  QSet<QString> kept;
  for (const QString& folder : folders_)
    kept.insert(qmfolder::TermCfgPath(qmfolder::MonitorFolder(dataPath, folder)));
  for (auto it = names_.begin(); it != names_.end();)
    it = kept.contains(it.key()) ? std::next(it) : names_.erase(it);
  return folders_;
}

QString TMonitorFolders::Name(const QString& dataPath, const QString& folder) {
  const QString path = qmfolder::TermCfgPath(qmfolder::MonitorFolder(dataPath, folder));
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
