#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace qmtext {

// Writes the bytes whole (temporary file, then rename); false with a reason on failure.
bool SaveBytes(const QString& path, const QByteArray& bytes, QString* error = nullptr,
               bool ownerOnly = false);

// Writes the lines whole as 8-bit text with CR LF after every line (temporary file, then
// rename), so a crash never leaves a truncated file; false with a reason on failure. An
// owner-only file is restricted before anything is written, and the rename keeps that.
bool SaveLines(const QString& path, const QStringList& lines, QString* error = nullptr,
               bool ownerOnly = false);

}  // namespace qmtext
