#pragma once

#include <QString>

// The folder of a monitor below the data path, named after its ID, and the term.cfg in it.
namespace qmfolder {

constexpr qsizetype kMaxMonitorId = 64;

// An ID that names a folder inside the data path: not empty, at most kMaxMonitorId characters,
// not beginning with "." (nor "." or ".."), no separator, drive colon or control character, and
// not the name of the program's own monitor list file.
bool ValidMonitorId(const QString& id);
// A folder below the data path that belongs to a monitor: not hidden, and not a deleted
// monitor's folder moved aside ("__" in front).
bool IsMonitorFolderName(const QString& name);
// dataPath (ending in a separator) with the ID appended as text.
QString MonitorFolder(const QString& dataPath, const QString& id);
// The term.cfg of a monitor folder.
QString TermCfgPath(const QString& folder);

}  // namespace qmfolder
