#include "download/FileShape.h"

#include "download/DataFiles.h"

#include <QFile>

namespace qmfiles {

bool HasTemplateShape(const QStringList& lines, int period) {
  const int step = period > 0 ? period * 60 : 1;
  if (lines.size() != 86400 / step + 1 || !lines[0].startsWith(QLatin1Char('.'))) return false;
  for (qsizetype i = 1; i < lines.size(); ++i) {
    const auto t = RowTime(lines[i]);
    const qsizetype slot = (i - 1) * step;
    if (!t || *t < slot || *t >= slot + step) return false;
  }
  return true;
}

QStringList Rebuild(const QStringList& lines, int period) {
  QStringList fresh;
  if (period > 0)
    InitPerFile(fresh, period);
  else
    InitPrfFile(fresh);
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const QString& row = lines[i];
    if (i == 0 && row.startsWith(QLatin1Char('.'))) {
      fresh[0] = row;
      continue;
    }
    // An empty slot of the damaged file never replaces a value found elsewhere in it.
    const auto t = RowTime(row);
    if (!t || !Filled(row)) continue;
    if (period > 0)
      PutPerLine(fresh, row);
    else
      fresh[*t + 1] = row;
  }
  return fresh;
}

QString DamagedName(const QString& path) {
  const QString base = path + QStringLiteral(".damaged");
  QString name = base;
  for (int k = 2; QFile::exists(name); ++k) name = base + QLatin1Char('-') + QString::number(k);
  return name;
}

Repair RepairDamaged(const QString& path, QStringList& lines, int period, QString* kept) {
  if (HasTemplateShape(lines, period)) return Repair::kSound;
  const QString name = DamagedName(path);
  if (!QFile::copy(path, name)) return Repair::kFailed;
  if (kept) *kept = name;
  lines = Rebuild(lines, period);
  return Repair::kRebuilt;
}

}  // namespace qmfiles
