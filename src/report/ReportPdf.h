#pragma once

#include "report/Report.h"

#include <QString>

namespace qmreport {

// Writes the report as an A4 PDF: header, chart, summary, the interval or day table, alarms,
// calibration checks, the periodic records of a day and the notes. False with a reason on failure.
bool WritePdf(const Report& r, const QString& path, QString* error = nullptr);

// The text blocks the PDF and the window share.
QString HeaderText(const Report& r);
struct TextTable {
  QString title;
  QStringList columns;
  QList<QStringList> rows;
  QString footnote;
};
QList<TextTable> Tables(const Report& r);

}  // namespace qmreport
