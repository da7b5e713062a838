#pragma once

#include <QList>
#include <QString>

#include <utility>

class TStorageQueue;

namespace qmfolder {

// Writes keys of one section of a monitor folder's term.cfg, creating the folder. With a queue
// the write runs on a storage thread, in order with the file's other writes (each write is
// synced, which the interface thread must not wait for); without one it runs at once. A failure
// is logged with the path.
void WriteTermCfg(TStorageQueue* storage, const QString& folder, const QString& section,
                  const QList<std::pair<QString, QString>>& entries);

}  // namespace qmfolder
