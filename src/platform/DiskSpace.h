#pragma once

#include <QString>

#include <functional>

namespace qmplatform {

// Free and total bytes of the file system holding a path; -1 each when it cannot be read.
struct DiskSpace {
  qint64 available = -1;
  qint64 total = -1;
};

DiskSpace ReadDiskSpace(const QString& path);
// Replaces the reading (tests fake a full disk); an empty function restores it.
void SetDiskSpaceSource(std::function<DiskSpace(const QString&)> source);

}  // namespace qmplatform
