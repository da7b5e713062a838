#include "download/StorageGuard.h"

#include "core/EventLog.h"

#include <QDir>

#include <algorithm>

TStorageGuard::TStorageGuard(std::function<void(const QString&)> show) : show_(std::move(show)) {}

bool TStorageGuard::LowSpace(const qmplatform::DiskSpace& space) {
  if (space.available < 0 || space.total <= 0) return false;  // unknown: do not stop storing
  return space.available < std::min(kMinFreeBytes, space.total / 100 * kMinFreePercent);
}

bool TStorageGuard::Check(const QString& dataPath) {
  checked_.start();
  if (dataPath.isEmpty()) return state_ == State::kOk;
  if (!QDir(dataPath).exists() && !QDir().mkpath(dataPath)) {
    Enter(State::kNoFolder, dataPath, {});
    return false;
  }
  const qmplatform::DiskSpace space = qmplatform::ReadDiskSpace(dataPath);
  Enter(LowSpace(space) ? State::kLowSpace : State::kOk, dataPath, space);
  return state_ == State::kOk;
}

bool TStorageGuard::Ready(const QString& dataPath) {
  if (checked_.isValid() && checked_.elapsed() < 1000) return state_ == State::kOk;
  return Check(dataPath);
}

void TStorageGuard::Enter(State state, const QString& dataPath,
                          const qmplatform::DiskSpace& space) {
  if (state == state_) return;
  state_ = state;
  QString shown;
  switch (state) {
    case State::kNoFolder:
      LogMsg(QStringLiteral("Failed to create data path: ") + dataPath);
      shown = QStringLiteral("Data cannot be stored: no data path");
      break;
    case State::kLowSpace:
      LogMsg(QStringLiteral("Low disk space on %1: %2 MB free, downloads paused")
                 .arg(dataPath)
                 .arg(space.available >> 20));
      shown = QStringLiteral("Data cannot be stored: disk full");
      break;
    case State::kOk:
      LogMsg(QStringLiteral("Data path usable again, downloads resume: ") + dataPath);
      break;
  }
  if (show_) show_(shown);
}
