#pragma once

#include "Clock.h"
#include "Device.h"
#include "Levels.h"

#include <string>
#include <vector>

// A monitor's stored records and the replies to the four download requests. Records are computed
// from the level model on demand, so any number of days costs no memory.
namespace qmsim {

enum class RecordKind { Per, Alm, Cal, Prf };

// "getper" and so on; false for any other command.
bool ParseKind(const std::string& command, RecordKind& out);
// Calmpoint-DT keeps no records at all, Quietmark-NG no calibration records.
bool HasRecords(MonitorType type, RecordKind kind);

struct RecordSource {
  const LevelModel& levels;
  MonitorType type;
  AlarmRule alarms;
};

// One download: the reply lines of a request, produced a piece at a time.
class Download {
 public:
  // start and period are the request's fields as received; the monitor holds records from
  // historyStart up to its clock's `now`.
  Download(RecordKind kind, MonitorType type, const std::string& start, const std::string& period,
           LocalSeconds historyStart, LocalSeconds now);
  // Appends the next lines (at most a day's records, or one prf block); false once the end
  // marker has been appended.
  bool Next(const RecordSource& source, std::vector<std::string>& lines);

 private:
  void Per(const RecordSource& source, std::vector<std::string>& lines);
  void Alm(const RecordSource& source, std::vector<std::string>& lines);
  void Cal(const RecordSource& source, std::vector<std::string>& lines);
  void Prf(const RecordSource& source, std::vector<std::string>& lines);
  std::string Lead(LocalSeconds t) const;  // command and date fields, "&"-terminated

  RecordKind kind_;
  std::string periodText_;
  int period_ = 0;      // minutes, per only
  bool empty_ = false;  // nothing to send but the end marker
  LocalSeconds cursor_ = 0, end_ = 0;
  LocalSeconds headerDay_ = -1;  // day whose header line went out last
};

// The periodic values of the slot [t, t + seconds): LAeq, Lmax, L10 and L90 in tenths of a dB.
struct PeriodValues {
  int laeq, lmax, l10, l90;
};
PeriodValues Period(const LevelModel& levels, LocalSeconds t, int seconds);

}  // namespace qmsim
