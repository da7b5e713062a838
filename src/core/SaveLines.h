#pragma once

#include <QString>
#include <QStringList>

namespace qmtext {

// Writes the lines whole as 8-bit text with CR LF after every line (temporary file, then
// rename), so a crash never leaves a truncated file; false with a reason on failure. An
// owner-only file is restricted before anything is written, and the rename keeps that.
bool SaveLines(const QString& path, const QStringList& lines, QString* error = nullptr,
               bool ownerOnly = false);

}  // namespace qmtext
