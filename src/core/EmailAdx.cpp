#include "core/EmailAdx.h"

#include <QStringList>

bool ValidEmailAdx(const QString& text) {
  // Zero-based: the at sign at 1 or later, the last "." at 3 or later, two after the at sign
  // and with two characters behind it.
  const qsizetype at = text.indexOf(QLatin1Char('@'));
  const qsizetype dot = text.lastIndexOf(QLatin1Char('.'));
  return at >= 1 && dot >= 3 && dot >= at + 2 && dot <= text.size() - 3;
}

bool ValidEmailList(const QString& list) {
  if (list.isEmpty()) return true;
  for (const QString& part : list.split(QLatin1Char(';')))
    if (!ValidEmailAdx(part)) return false;
  return true;
}
