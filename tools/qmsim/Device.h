#pragma once

#include <string>
#include <vector>

// What a monitor is: its type and the settings a supervisor can read and change remotely.
namespace qmsim {

enum class MonitorType { Dt, Ng, Se };
const char* TypeToken(MonitorType type);  // "cpdt", "cpng", "cpse"
const char* TypeShort(MonitorType type);  // "DT", "NG", "SE"

struct DeviceSettings {
  DeviceSettings(MonitorType type, std::string name, int backgroundDb, bool ngExtras);

  MonitorType type;
  std::string name;
  // Quietmark-SE and -NG: absolute triggers and display range in dB, alarm delay in seconds.
  int trig1, trig2, trigtime, ledmin, ledmax;
  std::string tz;
  bool rsm = false;
  bool reportsExtras;  // tz and rsm are reported: always for SE, with --ng-extras for NG
  // Calmpoint-DT: triggers relative to the background level.
  int trigrel1 = 10, trigrel2 = 16, almsecs = 1;
  bool notify = true;
  int background;

  int YellowDb() const;
  int RedDb() const;
  int AlarmSeconds() const;
  int LedMin() const { return type == MonitorType::Dt ? 30 : ledmin; }
  int LedMax() const { return type == MonitorType::Dt ? 110 : ledmax; }

  // The answer to "getsettings".
  std::string GetSettingsLine() const;
  // Takes the fields of a "setsettings" line (field 0 is the command). All or nothing: false,
  // and nothing changed, when a field is not key=value or a known key's value is out of range.
  bool Apply(const std::vector<std::string>& fields);
};

std::vector<std::string> Split(const std::string& text, char separator);
// Monitors speak 7-bit ASCII: anything else, and control characters, become "?".
std::string Ascii(const std::string& text);

}  // namespace qmsim
