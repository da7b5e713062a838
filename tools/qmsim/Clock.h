#pragma once

#include <cstdint>
#include <string>

// Local wall-clock time as plain seconds, so dates and times need no time zone arithmetic.
namespace qmsim {

// Seconds since 1970-01-01 00:00:00 of the PC's local time.
using LocalSeconds = std::int64_t;

LocalSeconds LocalNow();

struct Civil {
  int year, month, day, hour, minute, second;
};
Civil ToCivil(LocalSeconds t);
LocalSeconds FromCivil(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
// Midnight that starts the day of t.
LocalSeconds DayOf(LocalSeconds t);
// Strict "yyyy-mm-dd" and "hh:nn:ss" (an empty time is midnight); -1 when either does not parse.
LocalSeconds ParseDateTime(const std::string& date, const std::string& time);
// "yyyy-mm-dd hh:nn:ss" as one text; -1 when it does not parse.
LocalSeconds ParseStamp(const std::string& stamp);
std::string TimeText(LocalSeconds t);    // "hh:nn:ss"
std::string DateFields(LocalSeconds t);  // "yyyy&mm&dd", the leading fields of a record line
// Tenths of a dB as a decimal with one digit after the point ("65.4").
std::string Tenths(int tenths);
// A whole decimal number, nothing else; false when the text is not one.
bool ParseInt(const std::string& text, int& out);

}  // namespace qmsim
