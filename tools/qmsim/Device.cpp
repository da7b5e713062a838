#include "Device.h"

#include "Clock.h"

namespace qmsim {
namespace {

bool InRange(const std::string& value, int low, int high, int& out) {
  int n = 0;
  if (!ParseInt(value, n) || n < low || n > high) return false;
  out = n;
  return true;
}

bool Flag(const std::string& value, bool& out) {
  if (value != "0" && value != "1") return false;
  out = value == "1";
  return true;
}

}  // namespace

const char* TypeToken(MonitorType type) {
  switch (type) {
    case MonitorType::Dt:
      return "cpdt";
    case MonitorType::Ng:
      return "cpng";
    case MonitorType::Se:
      break;
  }
  return "cpse";
}

const char* TypeShort(MonitorType type) {
  switch (type) {
    case MonitorType::Dt:
      return "DT";
    case MonitorType::Ng:
      return "NG";
    case MonitorType::Se:
      break;
  }
  return "SE";
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> out;
  std::string::size_type start = 0;
  for (;;) {
    const auto at = text.find(separator, start);
    out.push_back(text.substr(start, at == std::string::npos ? at : at - start));
    if (at == std::string::npos) return out;
    start = at + 1;
  }
}

std::string Ascii(const std::string& text) {
  std::string out = text;
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7e) c = '?';
  return out;
}

DeviceSettings::DeviceSettings(MonitorType t, std::string n, int backgroundDb, bool ngExtras)
    : type(t),
      name(std::move(n)),
      trig1(backgroundDb + 8),
      trig2(backgroundDb + 14),
      trigtime(3),
      ledmin(30),
      ledmax(110),
      tz("Europe/London"),
      reportsExtras(t == MonitorType::Se || ngExtras),
      background(backgroundDb) {}

int DeviceSettings::YellowDb() const {
  return type == MonitorType::Dt ? background + trigrel1 : trig1;
}

int DeviceSettings::RedDb() const {
  return type == MonitorType::Dt ? background + trigrel2 : trig2;
}

int DeviceSettings::AlarmSeconds() const { return type == MonitorType::Dt ? almsecs : trigtime; }

std::string DeviceSettings::GetSettingsLine() const {
  if (type == MonitorType::Dt)
    return "getsettings&name=" + name + "&trigrel1=" + std::to_string(trigrel1) +
           "&trigrel2=" + std::to_string(trigrel2) + "&almsecs=" + std::to_string(almsecs) +
           "&notify=" + (notify ? "1" : "0");
  std::string line = "getsettings&name=" + name + "&trig1=" + std::to_string(trig1) +
                     "&trig2=" + std::to_string(trig2) + "&trigtime=" + std::to_string(trigtime) +
                     "&ledmin=" + std::to_string(ledmin) + "&ledmax=" + std::to_string(ledmax);
  if (reportsExtras) line += "&tz=" + tz + "&rsm=" + (rsm ? "1" : "0");
  return line;
}

bool DeviceSettings::Apply(const std::vector<std::string>& fields) {
  if (fields.size() < 2) return false;
  DeviceSettings next = *this;
  for (std::size_t i = 1; i < fields.size(); ++i) {
    const auto kv = Split(fields[i], '=');
    if (kv.size() != 2) return false;
    const std::string& key = kv[0];
    const std::string& value = kv[1];
    bool ok = true;
    if (key == "name")
      next.name = Ascii(value);
    else if (type == MonitorType::Dt) {
      if (key == "trigrel1")
        ok = InRange(value, 5, 60, next.trigrel1);
      else if (key == "trigrel2")
        ok = InRange(value, 5, 60, next.trigrel2);
      else if (key == "almsecs")
        ok = InRange(value, 0, 5, next.almsecs);
      else if (key == "notify")
        ok = Flag(value, next.notify);
    } else {
      if (key == "trig1")
        ok = InRange(value, 20, 120, next.trig1);
      else if (key == "trig2")
        ok = InRange(value, 20, 120, next.trig2);
      else if (key == "trigtime")
        ok = InRange(value, 0, 60, next.trigtime);
      else if (key == "ledmin")
        ok = InRange(value, 10, 130, next.ledmin);
      else if (key == "ledmax")
        ok = InRange(value, 20, 140, next.ledmax);
      else if (key == "rsm")
        ok = Flag(value, next.rsm);
      else if (key == "tz") {
        ok = !value.empty();
        next.tz = Ascii(value);
      }
    }
    if (!ok) return false;
  }
  *this = next;
  return true;
}

}  // namespace qmsim
