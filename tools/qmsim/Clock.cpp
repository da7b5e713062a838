#include "Clock.h"

#include <cstdio>
#include <ctime>

namespace qmsim {
namespace {

// Days from 1970-01-01 of a civil date, and back (proleptic Gregorian calendar).
std::int64_t DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy =
      (153 * static_cast<unsigned>(m + (m > 2 ? -3 : 9)) + 2) / 5 + static_cast<unsigned>(d) - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
}

// Reads `width` digits at text[at]; -1 when one of them is not a digit.
int Digits(const std::string& text, std::size_t at, std::size_t width) {
  if (at + width > text.size()) return -1;
  int n = 0;
  for (std::size_t i = at; i < at + width; ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    n = n * 10 + (text[i] - '0');
  }
  return n;
}

int DaysInMonth(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return m == 2 && leap ? 29 : kDays[m - 1];
}

}  // namespace

LocalSeconds LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return static_cast<LocalSeconds>(now) + tm.tm_gmtoff;
}

Civil ToCivil(LocalSeconds t) {
  const LocalSeconds day = DayOf(t);
  const std::int64_t rest = t - day;
  Civil c{};
  CivilFromDays(day / 86400, c.year, c.month, c.day);
  c.hour = static_cast<int>(rest / 3600);
  c.minute = static_cast<int>(rest / 60 % 60);
  c.second = static_cast<int>(rest % 60);
  return c;
}

LocalSeconds FromCivil(int year, int month, int day, int hour, int minute, int second) {
  return DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

LocalSeconds DayOf(LocalSeconds t) { return t - ((t % 86400) + 86400) % 86400; }

LocalSeconds ParseDateTime(const std::string& date, const std::string& time) {
  if (date.size() != 10 || date[4] != '-' || date[7] != '-') return -1;
  const int y = Digits(date, 0, 4), mo = Digits(date, 5, 2), d = Digits(date, 8, 2);
  if (y < 1900 || mo < 1 || mo > 12 || d < 1 || d > DaysInMonth(y, mo)) return -1;
  int h = 0, mi = 0, s = 0;
  if (!time.empty()) {
    if (time.size() != 8 || time[2] != ':' || time[5] != ':') return -1;
    h = Digits(time, 0, 2), mi = Digits(time, 3, 2), s = Digits(time, 6, 2);
    if (h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 59) return -1;
  }
  return FromCivil(y, mo, d, h, mi, s);
}

LocalSeconds ParseStamp(const std::string& stamp) {
  if (stamp.size() != 19 || stamp[10] != ' ') return -1;
  return ParseDateTime(stamp.substr(0, 10), stamp.substr(11));
}

std::string TimeText(LocalSeconds t) {
  const Civil c = ToCivil(t);
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", c.hour, c.minute, c.second);
  return text;
}

std::string DateFields(LocalSeconds t) {
  const Civil c = ToCivil(t);
  char text[32];
  std::snprintf(text, sizeof text, "%04d&%02d&%02d", c.year, c.month, c.day);
  return text;
}

std::string Tenths(int tenths) {
  char text[24];
  const int magnitude = tenths < 0 ? -tenths : tenths;
  std::snprintf(text, sizeof text, "%s%d.%d", tenths < 0 ? "-" : "", magnitude / 10,
                magnitude % 10);
  return text;
}

bool ParseInt(const std::string& text, int& out) {
  std::size_t i = text.size() > 0 && text[0] == '-' ? 1 : 0;
  if (i == text.size() || text.size() - i > 9) return false;
  int n = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    n = n * 10 + (text[i] - '0');
  }
  out = text[0] == '-' ? -n : n;
  return true;
}

}  // namespace qmsim
