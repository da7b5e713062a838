#pragma once

#include "platform/DiskSpace.h"

#include <QElapsedTimer>
#include <QString>

#include <functional>

// Whether downloaded records can be stored: the data folder exists (it is created when missing)
// and its file system has room. Changes are logged once and shown in the status bar; storing
// resumes by itself when the folder or the space comes back.
class TStorageGuard {
 public:
  static constexpr qint64 kMinFreeBytes = qint64(1) << 30;
  static constexpr int kMinFreePercent = 2;

  // show gets the status bar text, empty when storing works.
  explicit TStorageGuard(std::function<void(const QString&)> show);

  // Looks now (each download cycle).
  bool Check(const QString& dataPath);
  // As Check, at most once a second (for every reply line).
  bool Ready(const QString& dataPath);

  // Less than 1 GiB or 2 % of the file system free, whichever is smaller.
  static bool LowSpace(const qmplatform::DiskSpace& space);

 private:
  enum class State { kOk, kNoFolder, kLowSpace };
  void Enter(State state, const QString& dataPath, const qmplatform::DiskSpace& space);

  std::function<void(const QString&)> show_;
  State state_ = State::kOk;
  QElapsedTimer checked_;
};
