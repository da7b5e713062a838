#pragma once

#include <QString>
#include <QStringList>

// Periodic and prf files read back for merging: a file cut short, with a garbage row or with rows
// out of their slots is rebuilt on a fresh template, and the damaged file is kept beside it.
namespace qmfiles {

// The template's shape: its line count, a first line starting with ".", every row's time in its
// slot. period 0 means a prf file.
bool HasTemplateShape(const QStringList& lines, int period);
// A fresh template holding every filled row that parses, in its slot, and the header line.
QStringList Rebuild(const QStringList& lines, int period);
// NAME.damaged, or the first of NAME.damaged-2, -3 ... that does not exist.
QString DamagedName(const QString& path);

enum class Repair { kSound, kRebuilt, kFailed };
// Rebuilds lines read from path when they lack the shape, after copying the file to its damaged
// name (*kept); kFailed, lines unchanged, when the copy could not be made.
Repair RepairDamaged(const QString& path, QStringList& lines, int period, QString* kept);

}  // namespace qmfiles
