#include "History.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace qmsim {
namespace {

constexpr int kPrfBlock = 600;       // one-second values per prf line
constexpr int kAlarmsPerLine = 100;  // keeps an alm line far below the line limit

const char* Command(RecordKind kind) {
  switch (kind) {
    case RecordKind::Per:
      return "per";
    case RecordKind::Alm:
      return "alm";
    case RecordKind::Cal:
      return "cal";
    case RecordKind::Prf:
      break;
  }
  return "prf";
}

double Energy(int tenths) {
  static const std::array<double, 1401> table = [] {
    std::array<double, 1401> t{};
    for (int v = 0; v <= 1400; ++v) t[static_cast<std::size_t>(v)] = std::pow(10.0, v / 100.0);
    return t;
  }();
  return table[static_cast<std::size_t>(std::clamp(tenths, 0, 1400))];
}

}  // namespace

bool ParseKind(const std::string& command, RecordKind& out) {
  if (command == "getper")
    out = RecordKind::Per;
  else if (command == "getalm")
    out = RecordKind::Alm;
  else if (command == "getcal")
    out = RecordKind::Cal;
  else if (command == "getprf")
    out = RecordKind::Prf;
  else
    return false;
  return true;
}

bool HasRecords(MonitorType type, RecordKind kind) {
  if (type == MonitorType::Dt) return false;
  return kind != RecordKind::Cal || type == MonitorType::Se;
}

PeriodValues Period(const LevelModel& levels, LocalSeconds t, int seconds) {
  std::vector<int> values(static_cast<std::size_t>(seconds));
  double energy = 0;
  for (int i = 0; i < seconds; ++i) {
    values[static_cast<std::size_t>(i)] = levels.Tenths(t + i);
    energy += Energy(values[static_cast<std::size_t>(i)]);
  }
  PeriodValues p{};
  p.laeq = static_cast<int>(std::lround(100.0 * std::log10(energy / seconds)));
  p.lmax = *std::max_element(values.begin(), values.end()) + 15;
  // L10 is the level exceeded a tenth of the time, L90 the one exceeded nine tenths of it.
  auto nth = [&](std::size_t k) {
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(k), values.end());
    return values[k];
  };
  p.l10 = nth(values.size() * 9 / 10);
  p.l90 = nth(values.size() / 10);
  return p;
}

Download::Download(RecordKind kind, MonitorType type, const std::string& start,
                   const std::string& period, LocalSeconds historyStart, LocalSeconds now)
    : kind_(kind), periodText_(period), end_(now) {
  LocalSeconds from = ParseStamp(start);
  empty_ = from < 0 || !HasRecords(type, kind);
  if (from < historyStart) from = historyStart;
  cursor_ = from;
  if (kind == RecordKind::Per) {
    // Slots are whole divisions of the day; any other period has no records.
    if (!ParseInt(period, period_) || period_ <= 0 || 1440 % period_ != 0) {
      empty_ = true;
      return;
    }
    const LocalSeconds step = period_ * 60;
    cursor_ = (from + step - 1) / step * step;
  }
}

std::string Download::Lead(LocalSeconds t) const {
  return std::string(Command(kind_)) + "&" + DateFields(t) + "&";
}

bool Download::Next(const RecordSource& source, std::vector<std::string>& lines) {
  const LocalSeconds step = kind_ == RecordKind::Per ? period_ * 60 : 1;
  if (!empty_ && cursor_ + step <= end_) {
    switch (kind_) {
      case RecordKind::Per:
        Per(source, lines);
        break;
      case RecordKind::Alm:
        Alm(source, lines);
        break;
      case RecordKind::Cal:
        Cal(source, lines);
        break;
      case RecordKind::Prf:
        Prf(source, lines);
        break;
    }
    return true;
  }
  // The end marker carries the leading fields of a data line; prf keeps a non-empty value field.
  if (kind_ == RecordKind::Per)
    lines.push_back(Lead(end_) + periodText_ + "&.end");
  else if (kind_ == RecordKind::Prf)
    lines.push_back(Lead(end_) + ".end&0");
  else
    lines.push_back(Lead(end_) + ".end");
  return false;
}

// Completed slots only: a slot's record exists once its period is over.
void Download::Per(const RecordSource& source, std::vector<std::string>& lines) {
  const LocalSeconds step = period_ * 60;
  const LocalSeconds day = DayOf(cursor_);
  const std::string lead = Lead(day) + periodText_ + "&";
  if (headerDay_ != day) {
    headerDay_ = day;
    lines.push_back(lead + ".time,laeq,lmax,l10,l90");
  }
  for (; cursor_ < day + 86400 && cursor_ + step <= end_; cursor_ += step) {
    const PeriodValues p = Period(source.levels, cursor_, static_cast<int>(step));
    std::string row = lead + TimeText(cursor_);
    for (const int v : {p.laeq, p.lmax, p.l10, p.l90}) {
      // Quietmark-SE stores tenths of a dB as whole numbers, Quietmark-NG decimals.
      row += ",";
      row += source.type == MonitorType::Se ? std::to_string(v) : Tenths(v);
    }
    lines.push_back(std::move(row));
  }
}

void Download::Alm(const RecordSource& source, std::vector<std::string>& lines) {
  const LocalSeconds day = DayOf(cursor_);
  const LocalSeconds last = std::min(day + 86399, end_);
  const auto alarms = AlarmsBetween(source.levels, source.alarms, cursor_, last);
  cursor_ = day + 86400;
  if (alarms.empty()) return;
  lines.push_back(Lead(day) + ".time,duration,lmax");
  std::string records;
  for (std::size_t i = 0; i < alarms.size(); ++i) {
    if (!records.empty()) records += ";";
    records += TimeText(alarms[i].at) + "," + std::to_string(alarms[i].duration) + "," +
               Tenths(alarms[i].lmaxTenths);
    if ((i + 1) % kAlarmsPerLine == 0 || i + 1 == alarms.size()) {
      lines.push_back(Lead(day) + records);
      records.clear();
    }
  }
}

// One calibration a day, at six in the morning.
void Download::Cal(const RecordSource& source, std::vector<std::string>& lines) {
  const LocalSeconds day = DayOf(cursor_);
  const LocalSeconds at = day + 6 * 3600;
  const LocalSeconds from = cursor_;
  cursor_ = day + 86400;
  if (at < from || at > end_) return;
  lines.push_back(Lead(day) + ".time,reference,offset");
  const int offset = static_cast<int>(source.levels.Hash(day / 86400, 5) % 7) - 3;
  lines.push_back(Lead(day) + TimeText(at) + ",94.0," + Tenths(offset));
}

// Blocks of one-second values in tenths of a dB; a block never crosses midnight.
void Download::Prf(const RecordSource& source, std::vector<std::string>& lines) {
  const LocalSeconds day = DayOf(cursor_);
  if (headerDay_ != day) {
    headerDay_ = day;
    lines.push_back(Lead(day) + ".time&laeq");
  }
  const LocalSeconds stop = std::min({cursor_ + kPrfBlock, day + 86400, end_});
  std::string values;
  values.reserve(static_cast<std::size_t>(stop - cursor_) * 4);
  for (LocalSeconds s = cursor_; s < stop; ++s) {
    if (s != cursor_) values += ',';
    values += std::to_string(source.levels.Tenths(s));
  }
  lines.push_back(Lead(day) + TimeText(cursor_) + "&" + values);
  cursor_ = stop;
}

}  // namespace qmsim
