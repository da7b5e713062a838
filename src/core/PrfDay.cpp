#include "core/PrfDay.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>

bool TPrfDay::LevelInRange(double level) {
  return std::isfinite(level) && level >= kMinLevel && level <= kMaxLevel;
}

namespace {

// A value text in the form ValueText writes; nullopt for anything else.
std::optional<qint16> DecodeValue(const char* p, const char* end) {
  const qsizetype n = end - p;
  if (n == 1 && *p == '-') return TPrfDay::kEmpty;
  if (n == 4 && std::memcmp(p, "-0.0", 4) == 0) return TPrfDay::kNegativeZero;
  const bool negative = n > 0 && *p == '-';
  if (negative) ++p;
  const char* dot = p;
  while (dot < end && *dot >= '0' && *dot <= '9') ++dot;
  const qsizetype digits = dot - p;
  if (digits < 1 || digits > 4 || (digits > 1 && *p == '0')) return std::nullopt;
  if (end - dot != 2 || dot[0] != '.' || dot[1] < '0' || dot[1] > '9') return std::nullopt;
  int whole = 0;
  std::from_chars(p, dot, whole);
  const int tenths = whole * 10 + (dot[1] - '0');
  if (tenths > TPrfDay::kMaxTenths || (negative && tenths == 0)) return std::nullopt;
  return static_cast<qint16>(negative ? -tenths : tenths);
}

}  // namespace

qint16 TPrfDay::Encode(double leq) {
  // Only a level in range is converted to an integer: anything else would overflow it.
  if (!LevelInRange(leq)) return kEmpty;
  const long long tenths = std::llround(leq * 10);
  if (tenths / 10.0 == leq && !(tenths == 0 && std::signbit(leq)))
    return static_cast<qint16>(tenths);
  // Not a whole tenth: the general formatting decides the rounding, as it always has.
  const QByteArray text = QByteArray::number(leq, 'f', 1);
  return DecodeValue(text.constData(), text.constData() + text.size()).value_or(kEmpty);
}

int TPrfDay::ValueText(qint16 code, char* out) {
  if (code == kEmpty) {
    out[0] = '-';
    return 1;
  }
  if (code == kNegativeZero) {
    std::memcpy(out, "-0.0", 4);
    return 4;
  }
  char* p = out;
  int tenths = code;
  if (tenths < 0) {
    *p++ = '-';
    tenths = -tenths;
  }
  p = std::to_chars(p, out + 8, tenths / 10).ptr;
  p[0] = '.';
  p[1] = static_cast<char>('0' + tenths % 10);
  return static_cast<int>(p + 2 - out);
}

void TPrfDay::TimeText(int s, char* out) {
  const int parts[3] = {s / 3600, s / 60 % 60, s % 60};
  for (int i = 0; i < 3; ++i) {
    out[i * 3] = static_cast<char>('0' + parts[i] / 10 % 10);
    out[i * 3 + 1] = static_cast<char>('0' + parts[i] % 10);
    if (i < 2) out[i * 3 + 2] = ':';
  }
}

void TPrfDay::Clear() {
  header_.clear();
  codes_ = {};
  asRead_.clear();
}

void TPrfDay::Init() {
  header_ = QStringLiteral(".");
  codes_ = QList<qint16>(kSlots, kEmpty);
  asRead_.clear();
}

void TPrfDay::Put(int second, qint16 code) {
  codes_[second] = code;
  if (!asRead_.isEmpty()) asRead_.remove(second);
}

bool TPrfDay::PutRow(int second, const char* row, qsizetype size) {
  char time[8];
  TimeText(second, time);
  if (size < 10 || std::memcmp(row, time, 8) != 0 || row[8] != ',') return false;
  const auto code = DecodeValue(row + 9, row + size);
  if (!code) return false;
  Put(second, *code);
  return true;
}

void TPrfDay::PutRowAsRead(int second, const QString& row) {
  codes_[second] = kAsRead;
  asRead_.insert(second, row);
}

QString TPrfDay::Row(int second) const {
  if (codes_[second] == kAsRead) return asRead_.value(second);
  char text[20];
  TimeText(second, text);
  text[8] = ',';
  const int n = ValueText(codes_[second], text + 9);
  return QString::fromLatin1(text, 9 + n);
}

QByteArray TPrfDay::Text() const {
  auto put8Bit = [](char* out, const QString& text) {
    for (const QChar c : text) *out++ = c.unicode() < 256 ? static_cast<char>(c.unicode()) : '?';
    return out;
  };
  qsizetype size = header_.size() + 2 + qsizetype(codes_.size()) * 18;
  for (const QString& row : asRead_) size += row.size() + 2;
  QByteArray bytes(size, Qt::Uninitialized);
  char* out = put8Bit(bytes.data(), header_);
  *out++ = '\r';
  *out++ = '\n';
  char time[8] = {'0', '0', ':', '0', '0', ':', '0', '0'};
  for (int s = 0; s < codes_.size(); ++s) {
    const qint16 code = codes_[s];
    if (code == kAsRead) {
      out = put8Bit(out, asRead_.value(s));
    } else {
      TimeText(s, time);
      std::memcpy(out, time, 8);
      out[8] = ',';
      out += 9 + ValueText(code, out + 9);
    }
    *out++ = '\r';
    *out++ = '\n';
  }
  bytes.truncate(out - bytes.constData());
  return bytes;
}
