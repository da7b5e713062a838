#include "core/TermCfgWrite.h"

#include "core/EventLog.h"
#include "core/IniFile.h"
#include "core/MonitorFolder.h"
#include "core/StorageQueue.h"

#include <QDir>

#include <memory>

namespace qmfolder {

void WriteTermCfg(TStorageQueue* storage, const QString& folder, const QString& section,
                  const QList<std::pair<QString, QString>>& entries) {
  const QString path = TermCfgPath(folder);
  auto ok = std::make_shared<bool>(false);
  auto work = [folder, path, section, entries, ok] {
    *ok = QDir().mkpath(folder) && IniFile(path).WriteStrings(section, entries);
  };
  auto done = [path, ok] {
    if (!*ok) LogMsg(QStringLiteral("Failed to write ") + path);
  };
  if (!storage) {
    work();
    done();
    return;
  }
  storage->Post(path, std::move(work), std::move(done));
}

}  // namespace qmfolder
