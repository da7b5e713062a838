#include "report/DayFiles.h"

#include "core/Text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <charconv>
#include <cstring>

namespace qmreport {

namespace {
// A day's prf file is about 1.2 MB; anything far larger is not one of ours.
constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;
constexpr int kPeriods[] = {5, 10, 15, 30, 60};

bool Digit2(const char* p, int& out) {
  if (p[0] < '0' || p[0] > '9' || p[1] < '0' || p[1] > '9') return false;
  out = (p[0] - '0') * 10 + (p[1] - '0');
  return true;
}

// "hh:mm:ss" at the start of a row, as seconds of the day; -1 when it is not one.
int RowSeconds(const char* p, std::size_t n) {
  int h = 0, m = 0, s = 0;
  if (n < 8 || p[2] != ':' || p[5] != ':' || !Digit2(p, h) || !Digit2(p + 3, m) ||
      !Digit2(p + 6, s))
    return -1;
  if (h > 23 || m > 59 || s > 59) return -1;
  return h * 3600 + m * 60 + s;
}

// Plausible 1-second levels only: a hand-edited 1e9 must not swamp an energy mean.
bool PlausibleLevel(double v) { return std::isfinite(v) && v > -50.0 && v < 250.0; }

std::optional<QByteArray> ReadBytes(const QString& path, ReadResult& r) {
  const QFileInfo info(path);
  if (!info.exists()) return std::nullopt;
  // A folder or a pipe in a file's place: opening a pipe would wait for a writer.
  if (!info.isFile()) {
    r.problem = QStringLiteral("not a regular file");
    return std::nullopt;
  }
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    r.problem = QStringLiteral("cannot be opened: ") + f.errorString();
    return std::nullopt;
  }
  r.present = true;
  if (f.size() > kMaxFileBytes) {
    r.problem = QStringLiteral("too large to be a data file");
    return std::nullopt;
  }
  QByteArray bytes = f.readAll();
  if (f.error() != QFile::NoError) {
    r.problem = QStringLiteral("read error: ") + f.errorString();
    return std::nullopt;
  }
  return bytes;
}

// Calls `row(ptr, len)` for every line, without the line end.
template <typename F>
void ForEachLine(const QByteArray& bytes, F&& row) {
  const char* p = bytes.constData();
  const char* end = p + bytes.size();
  while (p < end) {
    const char* nl = static_cast<const char*>(std::memchr(p, '\n', std::size_t(end - p)));
    const char* stop = nl ? nl : end;
    std::size_t n = std::size_t(stop - p);
    if (n > 0 && p[n - 1] == '\r') --n;
    row(p, n);
    p = nl ? nl + 1 : end;
  }
}

void NoteBadRows(ReadResult& r) {
  if (r.badRows > 0 && r.problem.isEmpty())
    r.problem = QString::number(r.badRows) + QStringLiteral(" unreadable rows counted as gaps");
}
}  // namespace

QString DayFile(const QDate& day, const QString& stub) {
  return day.toString(QStringLiteral("yyyy-MM")) + QLatin1Char('/') + stub + QLatin1Char('-') +
         day.toString(QStringLiteral("dd")) + QStringLiteral(".csv");
}

std::size_t PrfDay::Valid() const {
  std::size_t n = 0;
  for (const float v : levels) n += !IsGap(v);
  return n;
}

PrfDay ReadPrf(const QString& path) {
  PrfDay day;
  const auto bytes = ReadBytes(path, day.read);
  if (!bytes) return day;
  bool first = true;
  ForEachLine(*bytes, [&](const char* p, std::size_t n) {
    const bool header = first && n > 0 && p[0] == '.';
    first = false;
    if (header || n == 0) return;
    const int t = RowSeconds(p, n);
    if (t < 0 || n < 10 || p[8] != ',') {
      ++day.read.badRows;
      return;
    }
    const char* v = p + 9;
    const char* vend = static_cast<const char*>(std::memchr(v, ',', n - 9));
    if (!vend) vend = p + n;
    if (vend - v == 1 && *v == '-') return;  // an empty slot
    double value = 0;
    const auto [ptr, ec] = std::from_chars(v, vend, value);
    if (ec != std::errc() || ptr != vend || !PlausibleLevel(value)) {
      ++day.read.badRows;
      day.levels[std::size_t(t)] = kGap;
      return;
    }
    day.levels[std::size_t(t)] = static_cast<float>(value);
  });
  NoteBadRows(day.read);
  return day;
}

RecordTable ReadRecords(const QString& path) {
  RecordTable t;
  const auto bytes = ReadBytes(path, t.read);
  if (!bytes) return t;
  bool first = true;
  ForEachLine(*bytes, [&](const char* p, std::size_t n) {
    const QString line = qmtext::From8Bit(QByteArray(p, qsizetype(n)));
    const bool isFirst = first;
    first = false;
    if (isFirst && line.startsWith(QLatin1Char('.'))) {
      if (line.size() > 1) t.columns = qmtext::SplitStrict(line.mid(1), QLatin1Char(','));
      return;
    }
    if (line.trimmed().isEmpty()) return;
    if (RowSeconds(p, n) < 0) {
      ++t.read.badRows;
      return;
    }
    QStringList fields = qmtext::SplitStrict(line, QLatin1Char(','));
    if (fields.size() >= 2 && fields[1] == QLatin1String("-")) return;  // empty slot
    t.rows.append(fields);
  });
  NoteBadRows(t.read);
  return t;
}

QList<int> PeriodsOnDisk(const QString& monitorFolder, const QDate& day) {
  QList<int> periods;
  for (const int p : kPeriods) {
    const QString name = QStringLiteral("per-%1-%2.csv")
                             .arg(day.day(), 2, 10, QLatin1Char('0'))
                             .arg(p, 4, 10, QLatin1Char('0'));
    if (QFile::exists(monitorFolder + QLatin1Char('/') + day.toString(QStringLiteral("yyyy-MM")) +
                      QLatin1Char('/') + name))
      periods.append(p);
  }
  return periods;
}

}  // namespace qmreport
