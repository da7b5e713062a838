#include "SelfCheck.h"

#include "Clock.h"
#include "Device.h"
#include "History.h"
#include "Levels.h"

#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace qmsim {
namespace {

int failures = 0;

void Expect(bool ok, const std::string& what) {
  if (ok) return;
  ++failures;
  std::printf("FAIL: %s\n", what.c_str());
}

std::vector<std::string> Replies(RecordKind kind, MonitorType type, const LevelModel& levels,
                                 const std::string& start, const std::string& period,
                                 LocalSeconds now) {
  Download d(kind, type, start, period, 0, now);
  const RecordSource source{levels, type,
                            AlarmRule{levels.BackgroundDb() + 14, 3, levels.HoldOff()}};
  std::vector<std::string> lines;
  for (int guard = 0; guard < 100000 && d.Next(source, lines); ++guard) {
  }
  return lines;
}

std::string Stamp(LocalSeconds t) {
  const Civil c = ToCivil(t);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %s", c.year, c.month, c.day,
                TimeText(t).c_str());
  return text;
}

void CheckClock() {
  for (LocalSeconds day = FromCivil(2016, 1, 1); day <= FromCivil(2030, 12, 31); day += 86400) {
    const Civil c = ToCivil(day + 86399);
    if (FromCivil(c.year, c.month, c.day, c.hour, c.minute, c.second) != day + 86399) {
      Expect(false, "civil date round trip at " + Stamp(day));
      break;
    }
  }
  Expect(ParseStamp("2024-02-29 23:59:59") == FromCivil(2024, 2, 29, 23, 59, 59), "leap day");
  for (const char* bad : {"2023-02-29 00:00:00", "2024-13-01 00:00:00", "2024-1-01 00:00:00",
                          "2024-01-01 24:00:00", "2024-01-01T00:00:00", "2024-01-01", ""})
    Expect(ParseStamp(bad) < 0, std::string("refuses '") + bad + "'");
  Expect(Tenths(654) == "65.4" && Tenths(-5) == "-0.5" && Tenths(0) == "0.0", "tenths");
}

void CheckLevels() {
  const LevelModel a(7, 3, Profile::Normal, 0), b(7, 3, Profile::Normal, 0);
  const LevelModel other(7, 4, Profile::Normal, 0);
  const LocalSeconds t0 = FromCivil(2024, 3, 5, 12);
  bool same = true, differs = false;
  for (LocalSeconds t = t0; t < t0 + 600; ++t) {
    same = same && a.Tenths(t) == b.Tenths(t);
    differs = differs || a.Tenths(t) != other.Tenths(t);
  }
  Expect(same, "same seed and monitor, same levels");
  Expect(differs, "another monitor, other levels");

  // The alarm scan over a span finds exactly the seconds the live check raises alarms in.
  const LevelModel loud(1, 0, Profile::Alarmy, 0);
  const AlarmRule rule{loud.BackgroundDb() + 14, 3, loud.HoldOff()};
  const auto alarms = AlarmsBetween(loud, rule, t0, t0 + 7200);
  std::set<LocalSeconds> at;
  for (const auto& alarm : alarms) at.insert(alarm.at);
  int live = 0;
  bool agree = true;
  for (LocalSeconds t = t0; t <= t0 + 7200; ++t)
    if (AlarmRaisedAt(loud, rule, t)) {
      ++live;
      agree = agree && at.count(t);
    }
  Expect(agree && live == static_cast<int>(alarms.size()), "alarm scan agrees with live check");
  Expect(alarms.size() > 20, "alarmy raises alarms often (" + std::to_string(alarms.size()) + ")");

  const LevelModel burst(1, 0, Profile::Quiet, 10);
  const AlarmRule burstRule{burst.BackgroundDb() + 14, 3, burst.HoldOff()};
  Expect(AlarmsBetween(burst, burstRule, t0, t0 + 599).size() == 60, "--alarm-every 10");
}

void CheckDownloads() {
  const LevelModel levels(1, 0, Profile::Normal, 0);
  const LocalSeconds day = FromCivil(2024, 3, 4);
  const LocalSeconds now = day + 86400 + 30;  // just after midnight of the next day

  for (const MonitorType type : {MonitorType::Se, MonitorType::Ng}) {
    const auto per = Replies(RecordKind::Per, type, levels, Stamp(day), "5", now);
    Expect(per.size() == 290, "per lines " + std::to_string(per.size()));
    Expect(per.front() == "per&2024&03&04&5&.time,laeq,lmax,l10,l90", "per header " + per.front());
    Expect(per.back() == "per&2024&03&05&5&.end", "per end " + per.back());
    bool shaped = true;
    for (std::size_t i = 1; i + 1 < per.size(); ++i) {
      const auto f = Split(per[i], '&');
      const auto v = Split(f.size() == 6 ? f[5] : "", ',');
      shaped = shaped && f.size() == 6 && v.size() == 5 && v[0] == TimeText(day + (i - 1) * 300) &&
               (v[1].find('.') == std::string::npos) == (type == MonitorType::Se);
    }
    Expect(shaped, "per rows");
    const auto later = Replies(RecordKind::Per, type, levels, "2024-03-04 10:07:00", "60", now);
    Expect(later.size() == 15 && later[1].find("&11:00:00,") != std::string::npos,
           "per from a start time");
  }

  const auto prf = Replies(RecordKind::Prf, MonitorType::Se, levels, Stamp(day), "", day + 86400);
  std::size_t values = 0;
  bool shaped = true;
  for (std::size_t i = 1; i + 1 < prf.size(); ++i) {
    const auto f = Split(prf[i], '&');
    shaped = shaped && f.size() == 6 && prf[i].size() < 48000;
    if (f.size() == 6) values += Split(f[5], ',').size();
  }
  Expect(prf.front() == "prf&2024&03&04&.time&laeq", "prf header");
  Expect(prf.back() == "prf&2024&03&05&.end&0", "prf end " + prf.back());
  Expect(shaped && values == 86400, "prf values " + std::to_string(values));

  const LevelModel loud(1, 0, Profile::Alarmy, 0);
  const auto alm = Replies(RecordKind::Alm, MonitorType::Ng, loud, "2024-03-04 12:00:00", "", now);
  std::set<std::string> rows;
  std::size_t count = 0;
  for (const auto& line : alm) {
    const auto f = Split(line, '&');
    if (f.size() != 5 || f[4][0] == '.') continue;
    for (const auto& r : Split(f[4], ';')) {
      ++count;
      rows.insert(r);
      Expect(f[3] != "04" || r.substr(0, 2) >= "12", "alarm before the start time: " + r);
    }
  }
  Expect(count > 10 && rows.size() == count, "alarm records unique");
  Expect(alm.back() == "alm&2024&03&05&.end", "alm end " + alm.back());

  const auto cal = Replies(RecordKind::Cal, MonitorType::Se, levels, Stamp(day), "", now);
  Expect(cal.size() == 3 && cal[1].rfind("cal&2024&03&04&06:00:00,94.0,", 0) == 0, "cal");

  // Kinds a type does not keep, and requests that make no sense, get the end marker alone.
  Expect(Replies(RecordKind::Cal, MonitorType::Ng, levels, Stamp(day), "", now).size() == 1,
         "NG has no calibration records");
  for (const RecordKind kind : {RecordKind::Per, RecordKind::Alm, RecordKind::Cal, RecordKind::Prf})
    Expect(Replies(kind, MonitorType::Dt, levels, Stamp(day), "5", now).size() == 1,
           "DT keeps no records");
  Expect(Replies(RecordKind::Prf, MonitorType::Se, levels, "yesterday", "", now).size() == 1,
         "bad start time");
  Expect(Replies(RecordKind::Per, MonitorType::Se, levels, Stamp(day), "7", now).size() == 1,
         "period that does not divide the day");
}

void CheckSettings() {
  for (const MonitorType type : {MonitorType::Dt, MonitorType::Ng, MonitorType::Se}) {
    DeviceSettings s(type, "Yard", 55, false);
    const std::string before = s.GetSettingsLine();
    auto fields = Split(before, '&');
    Expect(s.Apply(fields) && s.GetSettingsLine() == before, "settings round trip");
    Expect(!s.Apply({"setsettings", "name=A=B"}) && s.GetSettingsLine() == before,
           "refuses a field with two '='");
    Expect(!s.Apply({"setsettings", "name=X", "trig2=abc", "trigrel2=abc"}) &&
               s.GetSettingsLine() == before,
           "refuses a value that is not a number");
  }
  DeviceSettings se(MonitorType::Se, "Yard", 55, false);
  Expect(se.Apply({"setsettings", "name=Gate", "trig1=70", "trig2=80", "trigtime=5", "ledmin=30",
                   "ledmax=110", "rsm=1", "tz=Europe/Paris"}) &&
             se.GetSettingsLine() ==
                 "getsettings&name=Gate&trig1=70&trig2=80&trigtime=5&ledmin=30&ledmax=110&tz="
                 "Europe/Paris&rsm=1",
         "SE takes its settings");
  DeviceSettings dt(MonitorType::Dt, "Hall", 50, false);
  Expect(
      dt.Apply(
          {"setsettings", "name=Hall", "trigrel1=7", "trigrel2=10", "almsecs=1", "notify=0"}) &&
          dt.RedDb() == 60 &&
          dt.GetSettingsLine() == "getsettings&name=Hall&trigrel1=7&trigrel2=10&almsecs=1&notify=0",
      "DT takes its settings");
}

}  // namespace

bool SelfCheck() {
  CheckClock();
  CheckLevels();
  CheckDownloads();
  CheckSettings();
  std::printf("self check: %s\n", failures ? "FAILED" : "ok");
  return failures == 0;
}

}  // namespace qmsim
