#include "download/DataFiles.h"

#include "core/Text.h"

#include <QFile>
#include <QSaveFile>

namespace qmfiles {

bool ValidPeriod(int minutes) {
  for (int p : kPeriods)
    if (p == minutes) return true;
  return false;
}

QString MonthFolder(int year, int month) {
  return QStringLiteral("%1-%2")
      .arg(year, 4, 10, QLatin1Char('0'))
      .arg(month, 2, 10, QLatin1Char('0'));
}

QString PerFileName(int day, int period) {
  return QStringLiteral("per-%1-%2.csv")
      .arg(day, 2, 10, QLatin1Char('0'))
      .arg(period, 4, 10, QLatin1Char('0'));
}

QString DayFileName(const QString& stub, int day) {
  return stub + QStringLiteral("-%1.csv").arg(day, 2, 10, QLatin1Char('0'));
}

std::optional<int> RowTime(const QString& row) {
  if (row.size() < 8) return std::nullopt;
  const auto h = qmtext::ToInt(QStringView(row).mid(0, 2));
  const auto m = qmtext::ToInt(QStringView(row).mid(3, 2));
  const auto s = qmtext::ToInt(QStringView(row).mid(6, 2));
  if (!h || !m || !s || *h < 0 || *h > 23 || *m < 0 || *m > 59 || *s < 0 || *s > 59)
    return std::nullopt;
  return *h * 3600 + *m * 60 + *s;
}

QList<QStringView> SplitDelimited(QStringView text, QChar separator, qsizetype maxFields) {
  QList<QStringView> fields;
  const qsizetype n = text.size();
  auto blank = [&](qsizetype i) { return i < n && text[i].unicode() <= ' '; };
  qsizetype i = 0;
  while (blank(i)) ++i;
  while (i < n && fields.size() != maxFields) {
    const qsizetype start = i;
    while (i < n && text[i].unicode() > ' ' && text[i] != separator) ++i;
    fields << text.mid(start, i - start);
    while (blank(i)) ++i;
    if (i < n && text[i] == separator) {
      if (++i == n) fields << QStringView();
      while (blank(i)) ++i;
    }
  }
  return fields;
}

bool Filled(const QString& row) {
  const QList<QStringView> fields = SplitDelimited(row, QLatin1Char(','), 2);
  return fields.size() >= 2 && fields[1] != QLatin1String("-");
}

QString TimeText(int s) {
  return QStringLiteral("%1:%2:%3")
      .arg(s / 3600, 2, 10, QLatin1Char('0'))
      .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
      .arg(s % 60, 2, 10, QLatin1Char('0'));
}

void InitPerFile(QStringList& list, int period) {
  if (!list.isEmpty() || period <= 0) return;
  list.reserve(1440 / period + 1);
  list << QStringLiteral(".");
  for (int m = 0; m < 1440; m += period) list << TimeText(m * 60) + QStringLiteral(",-");
}

void InitPrfFile(QStringList& list) {
  // Every open prf buffer starts as a copy of one template: the rows share their text until a
  // value replaces them, which keeps a fleet's first downloads small in memory.
  static const QStringList kTemplate = [] {
    QStringList rows;
    rows.reserve(86401);
    rows << QStringLiteral(".");
    for (int s = 0; s < 86400; ++s) rows << TimeText(s) + QStringLiteral(",-");
    return rows;
  }();
  list = kTemplate;
}

std::optional<QString> ScalePerLine(const QString& line) {
  const QStringList fields = line.split(QLatin1Char(','));
  QStringList out{fields.first()};
  for (qsizetype i = 1; i < fields.size(); ++i) {
    const auto v = qmtext::ToDouble(fields[i]);
    if (!v) return std::nullopt;
    out << QString::number(*v / 10.0, 'f', 1);
  }
  return out.join(QLatin1Char(','));
}

bool PutPerLine(QStringList& list, const QString& line) {
  if (line.isEmpty()) return false;
  if (line.startsWith(QLatin1Char('.'))) {
    if (list.isEmpty()) return false;
    list[0] = line;
    return true;
  }
  const auto t = RowTime(line);
  if (!t) return false;
  for (qsizetype i = list.size() - 1; i >= 1; --i) {
    const auto rowTime = RowTime(list[i]);
    if (!rowTime) return false;
    if (*rowTime <= *t) {
      list[i] = line;
      return true;
    }
  }
  return false;
}

void PutPrfValue(QStringList& list, double leq, int secondsOfDay) {
  const QString row = TimeText(secondsOfDay) + QLatin1Char(',') + QString::number(leq, 'f', 1);
  const qsizetype n = secondsOfDay + 1;
  if (n < list.size())
    list[n] = row;
  else
    list << row;
}

std::optional<QStringList> Load(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  return qmtext::SplitLines(file.readAll());
}

bool Save(const QString& path, const QStringList& lines, QString* error) {
  QSaveFile file(path);
  const QByteArray bytes = qmtext::JoinCrLf(lines);
  if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
    return true;
  if (error) *error = file.errorString();
  return false;
}

}  // namespace qmfiles
