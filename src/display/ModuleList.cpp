#include "display/ModuleList.h"

namespace qmmodules {

namespace {
bool Blank(QChar c) { return c.unicode() >= 1 && c.unicode() <= ' '; }
}  // namespace

QStringList SplitQuoted(const QString& text, QChar delimiter) {
  QStringList out;
  const qsizetype n = text.size();
  auto at = [&](qsizetype i) { return i < n ? text[i] : QChar(0); };
  qsizetype p = 0;
  while (Blank(at(p))) ++p;
  while (p < n && at(p) != QChar(0)) {
    QString s;
    if (at(p) == QLatin1Char('"')) {
      ++p;
      while (p < n) {
        if (at(p) == QLatin1Char('"')) {
          if (at(p + 1) == QLatin1Char('"')) {
            s += QLatin1Char('"');
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        s += at(p++);
      }
    } else {
      const qsizetype start = p;
      while (p < n && at(p).unicode() > ' ' && at(p) != delimiter) ++p;
      s = text.mid(start, p - start);
    }
    out.append(s);
    while (Blank(at(p))) ++p;
    if (at(p) == delimiter) {
      if (p + 1 >= n) out.append(QString());
      do {
        ++p;
      } while (Blank(at(p)));
    }
  }
  return out;
}

Modules ModuleCaptions(const QString& sModules) {
  Modules m;
  const QStringList entries = SplitQuoted(sModules, QLatin1Char(';'));
  m.any = !entries.isEmpty();
  for (const QString& entry : entries) {
    const QStringList parts = SplitQuoted(entry, QLatin1Char(','));
    if (parts.size() == 2) m.captions.append(parts[0].toUpper() + QStringLiteral(" v") + parts[1]);
  }
  return m;
}

}  // namespace qmmodules
