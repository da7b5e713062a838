#pragma once

#include "Clock.h"

#include <cstdint>
#include <string>
#include <vector>

// A monitor's sound level as a pure function of seed, monitor index and local time, so every run
// with the same options hears the same levels, and live values, alarms and stored records agree.
namespace qmsim {

enum class Profile { Quiet, Normal, Loud, Alarmy };
bool ParseProfile(const std::string& text, Profile& out);

class LevelModel {
 public:
  // alarmEvery > 0 replaces the random loud events by one burst at the start of every
  // alarmEvery seconds of local time.
  LevelModel(std::uint64_t seed, int monitor, Profile profile, int alarmEvery);
  // LAeq of the second that starts at t, in tenths of a dB.
  int Tenths(LocalSeconds t) const;
  // A fast (LAF) reading in tenth `tenth` (0..9) of that second, in tenths of a dB.
  int FastTenths(LocalSeconds t, int tenth) const;
  // The level without loud events around the middle of the day, whole dB.
  int BackgroundDb() const { return (baseTenths_ + 5) / 10; }
  // The alarm hold-off that suits these levels: none for clean bursts, a few seconds otherwise.
  int HoldOff() const { return alarmEvery_ > 0 ? 0 : 8; }
  std::uint64_t Hash(std::int64_t a, std::int64_t b) const;

 private:
  std::uint64_t key_;
  int baseTenths_;
  int blockSeconds_;  // loud events fill whole blocks of this length
  int eventPerMille_;
  int alarmEvery_;
};

// A monitor raises an alarm in the second in which its level has been above the red trigger for
// `seconds` seconds in a row (at least one), unless such a stretch already completed within the
// `holdOff` seconds before: a level wavering around the trigger raises one alarm, not many.
struct AlarmRule {
  int redDb;
  int seconds;
  int holdOff;
};

struct AlarmRecord {
  LocalSeconds at;  // when it was raised
  int duration;     // seconds above red, the whole loud spell (at most an hour)
  int lmaxTenths;   // highest fast level of the spell
};

bool AlarmRaisedAt(const LevelModel& levels, const AlarmRule& rule, LocalSeconds t);
// Alarms raised in [from, to], oldest first.
std::vector<AlarmRecord> AlarmsBetween(const LevelModel& levels, const AlarmRule& rule,
                                       LocalSeconds from, LocalSeconds to);

}  // namespace qmsim
