#pragma once

#include <QByteArray>
#include <QString>

namespace qmplatform {

// Replaces the file with the bytes as a whole (temporary file, then rename) and waits until
// the file and its folder entry are on the device, so a medium pulled right after holds either
// the old file or the complete new one. False when any step fails.
bool WriteFileSynced(const QString& path, const QByteArray& bytes);

}  // namespace qmplatform
