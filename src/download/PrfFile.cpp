#include "download/PrfFile.h"

#include "download/DataFiles.h"

namespace qmfiles {

std::optional<TPrfDay> ParsePrfDay(const QByteArray& bytes) {
  TPrfDay day;
  day.Init();
  // Lines as qmtext::SplitLines cuts them: at LF, without a CR before it.
  const char* data = bytes.constData();
  const qsizetype size = bytes.size();
  qsizetype start = 0;
  int line = 0;
  while (start < size) {
    qsizetype end = bytes.indexOf('\n', start);
    if (end < 0) end = size;
    qsizetype stop = end;
    if (stop > start && data[stop - 1] == '\r') --stop;
    if (line == 0) {
      if (stop == start || data[start] != '.') return std::nullopt;
      day.SetHeader(QString::fromLatin1(data + start, stop - start));
    } else {
      const int second = line - 1;
      if (second >= TPrfDay::kSlots) return std::nullopt;
      if (!day.PutRow(second, data + start, stop - start)) {
        const QString row = QString::fromLatin1(data + start, stop - start);
        if (RowTime(row) != second) return std::nullopt;
        day.PutRowAsRead(second, row);
      }
    }
    ++line;
    start = end + 1;
  }
  if (line != TPrfDay::kSlots + 1) return std::nullopt;
  return day;
}

TPrfDay PrfDayFromLines(const QStringList& lines) {
  TPrfDay day;
  day.Init();
  day.SetHeader(lines.value(0));
  for (int s = 0; s < TPrfDay::kSlots && s + 1 < lines.size(); ++s) {
    const QByteArray row = lines[s + 1].toLatin1();
    if (!day.PutRow(s, row.constData(), row.size())) day.PutRowAsRead(s, lines[s + 1]);
  }
  return day;
}

}  // namespace qmfiles
