#pragma once

#include "report/Report.h"

#include <QByteArray>

namespace qmreport {

// The report's table as CSV: a header row, one row per interval (a day report) or per day (a
// week or month), "." decimals, CR LF after every line, gaps as empty fields.
QByteArray ReportCsv(const Report& r);

}  // namespace qmreport
