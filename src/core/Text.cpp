#include "core/Text.h"

#include <charconv>
#include <cmath>
#include <string>
#include <type_traits>

namespace qmtext {

QByteArray ToAscii(const QString& text) {
  QByteArray out(text.size(), '?');
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text.at(i).unicode();
    if (c < 128) out[i] = static_cast<char>(c);
  }
  return out;
}

QString FromAscii(const char* data, qsizetype size) {
  QString out(size, QLatin1Char('?'));
  QChar* dst = out.data();
  for (qsizetype i = 0; i < size; ++i) {
    const auto c = static_cast<unsigned char>(data[i]);
    if (c < 128) dst[i] = QLatin1Char(static_cast<char>(c));
  }
  return out;
}

QByteArray To8Bit(const QString& text) {
  QByteArray out(text.size(), '?');
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text.at(i).unicode();
    if (c < 256) out[i] = static_cast<char>(c);
  }
  return out;
}

QString From8Bit(const QByteArray& bytes) { return QString::fromLatin1(bytes); }

namespace {

// Parses the whole text with from_chars after an optional "+". Numbers are ASCII, so any other
// character fails the parse; short texts are copied to the stack, as they run once per field of
// every received line.
template <class T>
std::optional<T> ParseNumber(QStringView text) {
  char small[64];
  std::string large;
  char* first = small;
  if (text.size() > qsizetype(sizeof small)) {
    large.resize(static_cast<std::size_t>(text.size()));
    first = large.data();
  }
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (c > 127) return std::nullopt;
    first[i] = static_cast<char>(c);
  }
  const char* last = first + text.size();
  if (first != last && *first == '+') ++first;
  T value{};
  const auto [ptr, ec] = std::from_chars(first, last, value);
  if (ec != std::errc() || ptr != last || first == last) return std::nullopt;
  if constexpr (std::is_floating_point_v<T>)
    if (!std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace

std::optional<int> ToInt(QStringView text) { return ParseNumber<int>(text); }

std::optional<double> ToDouble(QStringView text) { return ParseNumber<double>(text); }

QStringList SplitStrict(const QString& text, QChar separator) {
  return text.split(separator, Qt::KeepEmptyParts);
}

QByteArray JoinCrLf(const QStringList& lines) {
  qsizetype size = 0;
  for (const QString& line : lines) size += line.size() + 2;
  QByteArray bytes(size, Qt::Uninitialized);
  char* out = bytes.data();
  for (const QString& line : lines) {
    for (const QChar c : line) *out++ = c.unicode() < 256 ? static_cast<char>(c.unicode()) : '?';
    *out++ = '\r';
    *out++ = '\n';
  }
  return bytes;
}

QStringList SplitLines(const QByteArray& bytes) {
  QStringList lines;
  qsizetype start = 0;
  while (start < bytes.size()) {
    qsizetype end = bytes.indexOf('\n', start);
    const bool last = end < 0;
    if (last) end = bytes.size();
    qsizetype stop = end;
    if (stop > start && bytes[stop - 1] == '\r') --stop;
    lines.append(From8Bit(bytes.mid(start, stop - start)));
    start = end + 1;
  }
  return lines;
}

}  // namespace qmtext
