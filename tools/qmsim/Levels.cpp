#include "Levels.h"

#include <array>
#include <cmath>

namespace qmsim {
namespace {

std::uint64_t Mix(std::uint64_t x) {
  x ^= x >> 30;
  x *= 0xbf58476d1ce4e5b9ULL;
  x ^= x >> 27;
  x *= 0x94d049bb133111ebULL;
  x ^= x >> 31;
  return x;
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b != 0 && a < 0); }

// Quieter at night, loudest in the afternoon: tenths of a dB per minute of the day.
const std::array<int, 1440>& Diurnal() {
  static const std::array<int, 1440> table = [] {
    std::array<int, 1440> t{};
    for (int m = 0; m < 1440; ++m)
      t[m] = static_cast<int>(60.0 * std::sin((m / 60.0 - 9.0) / 24.0 * 2.0 * M_PI));
    return t;
  }();
  return table;
}

constexpr int kMinTenths = 200, kMaxTenths = 1400;
constexpr int kBurstTenths = 300;
constexpr int kBurstSeconds = 8;

bool Above(const LevelModel& levels, const AlarmRule& rule, LocalSeconds t) {
  return levels.Tenths(t) > rule.redDb * 10;
}

int Needed(const AlarmRule& rule) { return rule.seconds < 1 ? 1 : rule.seconds; }

AlarmRecord Spell(const LevelModel& levels, const AlarmRule& rule, LocalSeconds raised) {
  const LocalSeconds start = raised - Needed(rule) + 1;
  LocalSeconds end = raised + 1;
  while (end - start < 3600 && Above(levels, rule, end)) ++end;
  int peak = 0;
  for (LocalSeconds s = start; s < end; ++s)
    for (int tenth = 0; tenth < 10; ++tenth) {
      const int v = levels.FastTenths(s, tenth);
      if (v > peak) peak = v;
    }
  return AlarmRecord{raised, static_cast<int>(end - start), peak};
}

// t completes a stretch of exactly the needed length above red.
bool Completes(const LevelModel& levels, const AlarmRule& rule, LocalSeconds t) {
  const int n = Needed(rule);
  for (int i = 0; i < n; ++i)
    if (!Above(levels, rule, t - i)) return false;
  return !Above(levels, rule, t - n);
}

}  // namespace

bool ParseProfile(const std::string& text, Profile& out) {
  if (text == "quiet")
    out = Profile::Quiet;
  else if (text == "normal")
    out = Profile::Normal;
  else if (text == "loud")
    out = Profile::Loud;
  else if (text == "alarmy")
    out = Profile::Alarmy;
  else
    return false;
  return true;
}

LevelModel::LevelModel(std::uint64_t seed, int monitor, Profile profile, int alarmEvery)
    : key_(Mix(seed * 1000003ULL + static_cast<std::uint64_t>(monitor))), alarmEvery_(alarmEvery) {
  int base = 550;
  switch (profile) {
    case Profile::Quiet:
      base = 420, blockSeconds_ = 20, eventPerMille_ = 5;  // about one loud spell an hour
      break;
    case Profile::Normal:
      base = 550, blockSeconds_ = 15, eventPerMille_ = 10;  // two or three an hour
      break;
    case Profile::Loud:
      base = 650, blockSeconds_ = 10, eventPerMille_ = 30;  // about ten an hour
      break;
    case Profile::Alarmy:
      base = 650, blockSeconds_ = 6, eventPerMille_ = 150;  // about one a minute
      break;
  }
  baseTenths_ = base + static_cast<int>(key_ % 41) - 20;
}

std::uint64_t LevelModel::Hash(std::int64_t a, std::int64_t b) const {
  return Mix(key_ ^ Mix(static_cast<std::uint64_t>(a) * 31 + static_cast<std::uint64_t>(b)));
}

int LevelModel::Tenths(LocalSeconds t) const {
  const LocalSeconds second = t - DayOf(t);
  int level = baseTenths_ + Diurnal()[static_cast<std::size_t>(second / 60)] +
              static_cast<int>(Hash(t, 1) % 61) - 30;
  if (alarmEvery_ > 0) {
    const int burst = kBurstSeconds < alarmEvery_ ? kBurstSeconds : alarmEvery_ - 1;
    if (t - FloorDiv(t, alarmEvery_) * alarmEvery_ < burst) level += kBurstTenths;
  } else {
    const std::int64_t block = FloorDiv(t, blockSeconds_);
    if (static_cast<int>(Hash(block, 2) % 1000) < eventPerMille_)
      level += 150 + static_cast<int>(Hash(block, 4) % 121);
  }
  return level < kMinTenths ? kMinTenths : level > kMaxTenths ? kMaxTenths : level;
}

int LevelModel::FastTenths(LocalSeconds t, int tenth) const {
  const int level = Tenths(t) + static_cast<int>(Hash(t * 10 + tenth, 7) % 41) - 20;
  return level < kMinTenths ? kMinTenths : level;
}

bool AlarmRaisedAt(const LevelModel& levels, const AlarmRule& rule, LocalSeconds t) {
  if (!Completes(levels, rule, t)) return false;
  for (LocalSeconds s = t - rule.holdOff; s < t; ++s)
    if (Completes(levels, rule, s)) return false;
  return true;
}

std::vector<AlarmRecord> AlarmsBetween(const LevelModel& levels, const AlarmRule& rule,
                                       LocalSeconds from, LocalSeconds to) {
  const int n = Needed(rule);
  LocalSeconds lastCompleted = from - rule.holdOff - 1;
  for (LocalSeconds s = from - rule.holdOff; s < from; ++s)
    if (Completes(levels, rule, s)) lastCompleted = s;
  int run = 0;  // seconds above red in a row before `from`, counted up to n
  for (LocalSeconds s = from - 1; s >= from - n && Above(levels, rule, s); --s) ++run;
  std::vector<AlarmRecord> out;
  for (LocalSeconds t = from; t <= to; ++t) {
    if (!Above(levels, rule, t)) {
      run = 0;
      continue;
    }
    if (++run != n) continue;
    if (t - lastCompleted > rule.holdOff) out.push_back(Spell(levels, rule, t));
    lastCompleted = t;
  }
  return out;
}

}  // namespace qmsim
