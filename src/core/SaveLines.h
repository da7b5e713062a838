#pragma once

#include <QString>
#include <QStringList>

namespace qmtext {

// Writes the lines whole as 8-bit text with CR LF after every line (temporary file, then
// rename), so a crash never leaves a truncated file; false with a reason on failure.
bool SaveLines(const QString& path, const QStringList& lines, QString* error = nullptr);

}  // namespace qmtext
