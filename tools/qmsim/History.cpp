#include "History.h"

#include <cmath>
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

std::uint64_t Mix(std::uint64_t x) {
  x ^= x >> 30;
  x *= 0xbf58476d1ce4e5b9ULL;
  x ^= x >> 27;
  x *= 0x94d049bb133111ebULL;
  x ^= x >> 31;
  return x;
}

}  // namespace

LocalSeconds LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return static_cast<LocalSeconds>(now) + tm.tm_gmtoff;
}

Civil ToCivil(LocalSeconds t) {
  std::int64_t days = t / 86400;
  std::int64_t rest = t % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  Civil c{};
  CivilFromDays(days, c.year, c.month, c.day);
  c.hour = static_cast<int>(rest / 3600);
  c.minute = static_cast<int>(rest / 60 % 60);
  c.second = static_cast<int>(rest % 60);
  return c;
}

LocalSeconds FromCivil(int year, int month, int day, int hour, int minute, int second) {
  return DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

LocalSeconds ParseDateTime(const std::string& date, const std::string& time) {
  int y, mo, d, h = 0, mi = 0, s = 0;
  if (std::sscanf(date.c_str(), "%4d-%2d-%2d", &y, &mo, &d) != 3) return -1;
  if (!time.empty() && std::sscanf(time.c_str(), "%2d:%2d:%2d", &h, &mi, &s) != 3) return -1;
  if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59) return -1;
  return FromCivil(y, mo, d, h, mi, s);
}

std::string TimeText(LocalSeconds t) {
  const Civil c = ToCivil(t);
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", c.hour, c.minute, c.second);
  return text;
}

LevelModel::LevelModel(std::uint64_t seed, int monitor, const std::string& profile)
    : key_(Mix(seed * 1000003ULL + static_cast<std::uint64_t>(monitor))) {
  int base = 550, events = 4;
  if (profile == "quiet") base = 420, events = 1;
  if (profile == "loud") base = 660, events = 8;
  if (profile == "alarmy") base = 690, events = 20;
  baseTenths_ = base + static_cast<int>(key_ % 40) - 20;
  trig1_ = (baseTenths_ + 100) / 10;
  trig2_ = trig1_ + 5;
  eventRate_ = events;
}

std::uint64_t LevelModel::Hash(std::int64_t a, std::int64_t b) const {
  return Mix(key_ ^ Mix(static_cast<std::uint64_t>(a) * 31 + static_cast<std::uint64_t>(b)));
}

int LevelModel::Tenths(LocalSeconds t) const {
  // Quieter at night, a little noise each second, and now and then a loud event of a minute.
  const double hour = static_cast<double>(((t % 86400) + 86400) % 86400) / 3600.0;
  const double diurnal = 60.0 * std::sin((hour - 9.0) / 24.0 * 2.0 * M_PI);
  const int noise = static_cast<int>(Hash(t, 1) % 61) - 30;
  const std::int64_t minute = t / 60;
  const bool event = static_cast<int>(Hash(minute, 2) % 60) < eventRate_;
  const int level = baseTenths_ + static_cast<int>(diurnal) + noise + (event ? 180 : 0);
  return level < 200 ? 200 : level;
}

int LevelModel::AlarmsOnDay(LocalSeconds day) const {
  return static_cast<int>(Hash(day / 86400, 3) % static_cast<std::uint64_t>(eventRate_ + 2));
}

LocalSeconds LevelModel::AlarmTime(LocalSeconds day, int i) const {
  // Spread over the day in order, one per slot, so times never repeat.
  const int count = AlarmsOnDay(day);
  const std::int64_t slot = 86400 / (count > 0 ? count : 1);
  return day + slot * i +
         static_cast<std::int64_t>(Hash(day / 86400, 10 + i) % static_cast<std::uint64_t>(slot));
}

int LevelModel::AlarmDuration(LocalSeconds day, int i) const {
  return 3 + static_cast<int>(Hash(day / 86400, 100 + i) % 120);
}

}  // namespace qmsim
