#include "download/DataFiles.h"

#include "core/PrfDay.h"
#include "core/SaveLines.h"
#include "core/Text.h"

#include <QFile>

#include <algorithm>

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

std::optional<DataFileName> ParseFileName(const QString& path) {
  const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
  const qsizetype monthSlash = slash > 0 ? path.lastIndexOf(QLatin1Char('/'), slash - 1) : -1;
  if (monthSlash < 0) return std::nullopt;
  const QString name = path.mid(slash + 1);
  const QDate month =
      QDate::fromString(path.mid(monthSlash + 1, slash - monthSlash - 1) + QStringLiteral("-01"),
                        QStringLiteral("yyyy-MM-dd"));
  if (!month.isValid() || name.size() < 10) return std::nullopt;
  DataFileName parsed{path.left(monthSlash), name.left(3), {}};
  const auto day = qmtext::ToInt(QStringView(name).mid(4, 2));
  if (!day) return std::nullopt;
  parsed.day = QDate(month.year(), month.month(), *day);
  if (parsed.kind == QLatin1String("per")) {
    const auto period = qmtext::ToInt(QStringView(name).mid(7, 4));
    if (!period || !ValidPeriod(*period)) return std::nullopt;
    parsed.kind += QString::number(*period);
  }
  if (!parsed.day.isValid()) return std::nullopt;
  return parsed;
}

namespace {

// Two characters as a number: plain digits at once, anything else the strict way.
std::optional<int> TwoDigits(QStringView text) {
  const char16_t a = text[0].unicode(), b = text[1].unicode();
  if (a >= u'0' && a <= u'9' && b >= u'0' && b <= u'9') return (a - u'0') * 10 + (b - u'0');
  return qmtext::ToInt(text);
}

}  // namespace

std::optional<int> RowTime(const QString& row) {
  if (row.size() < 8) return std::nullopt;
  const auto h = TwoDigits(QStringView(row).mid(0, 2));
  const auto m = TwoDigits(QStringView(row).mid(3, 2));
  const auto s = TwoDigits(QStringView(row).mid(6, 2));
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
  char text[8];
  TPrfDay::TimeText(s, text);
  return QString::fromLatin1(text, 8);
}

QString CleanRecord(const QString& record) {
  auto control = [](QChar c) { return c.unicode() < 32 || c.unicode() == 127; };
  if (std::none_of(record.begin(), record.end(), control)) return record;
  QString clean = record;
  for (QChar& c : clean)
    if (control(c)) c = QLatin1Char('?');
  return clean;
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

std::optional<QString> ScalePerLine(const QString& line, bool* outOfRange) {
  const QStringList fields = line.split(QLatin1Char(','));
  QStringList out{fields.first()};
  for (qsizetype i = 1; i < fields.size(); ++i) {
    const auto v = ToNumber(fields[i]);
    if (!v) return std::nullopt;
    if (!LevelInRange(*v / 10.0)) {
      out << QStringLiteral("-");
      if (outOfRange) *outOfRange = true;
      continue;
    }
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

bool PutPrfValue(QStringList& list, double leq, int secondsOfDay) {
  const qint16 code = TPrfDay::Encode(leq);
  char text[20];
  TPrfDay::TimeText(secondsOfDay, text);
  text[8] = ',';
  const QString row = QString::fromLatin1(text, 9 + TPrfDay::ValueText(code, text + 9));
  const qsizetype n = secondsOfDay + 1;
  if (n < list.size())
    list[n] = row;
  else
    list << row;
  return LevelInRange(leq);
}

std::optional<QStringList> Load(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  return qmtext::SplitLines(file.readAll());
}

bool Save(const QString& path, const QStringList& lines, QString* error) {
  return qmtext::SaveLines(path, lines, error);
}

std::optional<double> ToNumber(QStringView text) {
  // Monitors send whole numbers; those are read without the general conversion.
  const qsizetype n = text.size();
  qsizetype i = n > 0 && text[0] == QLatin1Char('-') ? 1 : 0;
  if (n > i && n - i <= 9) {
    int value = 0;
    for (; i < n; ++i) {
      const char16_t c = text[i].unicode();
      if (c < u'0' || c > u'9') break;
      value = value * 10 + (c - u'0');
    }
    if (i == n) return text[0] == QLatin1Char('-') ? -double(value) : double(value);
  }
  return qmtext::ToDouble(text);
}

}  // namespace qmfiles
