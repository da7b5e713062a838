#include "platform/SingleInstance.h"

#include <QDir>

namespace qmplatform {

SingleInstance::SingleInstance(const QString& name) {
  QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::tempPath();
  lock_ = std::make_unique<QLockFile>(folder + QLatin1Char('/') + name + QStringLiteral(".lock"));
  lock_->setStaleLockTime(0);  // only a lock whose process is gone counts as stale
  acquired_ = lock_->tryLock(0);
}

}  // namespace qmplatform
