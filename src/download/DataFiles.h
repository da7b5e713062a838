#pragma once

#include "core/PrfDay.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Names, templates and row placement of the downloaded CSV files.
namespace qmfiles {

inline constexpr int kPeriods[5] = {5, 10, 15, 30, 60};
bool ValidPeriod(int minutes);

QString MonthFolder(int year, int month);           // "2024-03"
QString PerFileName(int day, int period);           // "per-07-0015.csv"
QString DayFileName(const QString& stub, int day);  // "alm-07.csv"
// A data file's path taken apart: the monitor folder, the kind ("alm", "cal", "prf", "per15")
// and the day; nullopt for a path not built by the names above.
struct DataFileName {
  QString folder;
  QString kind;
  QDate day;
};
std::optional<DataFileName> ParseFileName(const QString& path);

// Splits like a comma-text list: fields end at the separator or at blanks, blanks around a
// separator and leading blanks are skipped, empty fields between separators are kept and a
// trailing separator gives a last empty field. Views into `text`.
QList<QStringView> SplitDelimited(QStringView text, QChar separator, qsizetype maxFields = -1);

// Seconds of the day of a row's leading "hh:mm:ss"; nullopt when it does not convert.
std::optional<int> RowTime(const QString& row);
// A row with two or more fields whose second field is not "-".
bool Filled(const QString& row);
QString TimeText(int secondsOfDay);
// A received record as the files keep it: control characters (below 32, and 127) become "?",
// so a CR or NUL cannot split or cut a row.
QString CleanRecord(const QString& record);

void InitPerFile(QStringList& list, int period);
void InitPrfFile(QStringList& list);
// Levels the files take; anything else (not finite, out of range) is stored as an empty slot.
inline constexpr double kMinLevel = TPrfDay::kMinLevel;
inline constexpr double kMaxLevel = TPrfDay::kMaxLevel;
inline bool LevelInRange(double level) { return TPrfDay::LevelInRange(level); }

// Quietmark-SE sends tenths of a dB as whole numbers; nullopt when a value does not convert.
// A value that is no level becomes "-" and sets *outOfRange.
std::optional<QString> ScalePerLine(const QString& line, bool* outOfRange = nullptr);
// Places a periodic record in its slot; false when it was dropped.
bool PutPerLine(QStringList& list, const QString& line);
// False when leq is no level: the slot is then left empty.
bool PutPrfValue(QStringList& list, double leq, int secondsOfDay);

// A number as qmtext::ToDouble reads it, faster for plain whole numbers.
std::optional<double> ToNumber(QStringView text);

// Reads a whole file into lines; nullopt when it cannot be read.
std::optional<QStringList> Load(const QString& path);
// Writes the lines whole (temporary file, then rename); false with a reason on failure.
bool Save(const QString& path, const QStringList& lines, QString* error = nullptr);

}  // namespace qmfiles
