#pragma once

#include <cstdint>
#include <string>

// A monitor's sound levels and stored records, computed from the seed alone, so every run with
// the same seed serves the same data.
namespace qmsim {

// Seconds since 1970-01-01 00:00:00 of the PC's local time (no time zone arithmetic needed).
using LocalSeconds = std::int64_t;

LocalSeconds LocalNow();
struct Civil {
  int year, month, day, hour, minute, second;
};
Civil ToCivil(LocalSeconds t);
LocalSeconds FromCivil(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
// "yyyy-mm-dd hh:nn:ss" or "yyyy-mm-dd" + "hh:nn:ss"; -1 when it does not parse.
LocalSeconds ParseDateTime(const std::string& date, const std::string& time);
std::string TimeText(LocalSeconds t);  // "hh:mm:ss"

class LevelModel {
 public:
  LevelModel(std::uint64_t seed, int monitor, const std::string& profile);
  // LAeq,1s in tenths of a dB for that second.
  int Tenths(LocalSeconds t) const;
  int Trig1() const { return trig1_; }
  int Trig2() const { return trig2_; }
  // Number of alarms stored for the day starting at `day`, and the i-th one's time and length.
  int AlarmsOnDay(LocalSeconds day) const;
  LocalSeconds AlarmTime(LocalSeconds day, int i) const;
  int AlarmDuration(LocalSeconds day, int i) const;

 private:
  std::uint64_t Hash(std::int64_t a, std::int64_t b) const;
  std::uint64_t key_;
  int baseTenths_;
  int trig1_, trig2_;
  int eventRate_;  // loud events per hour
};

}  // namespace qmsim
