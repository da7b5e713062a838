#pragma once

#include "core/PrfDay.h"

#include <QByteArray>
#include <QStringList>

#include <optional>

namespace qmfiles {

// A prf file's bytes as a day, row for row; nullopt when they do not have the template's shape
// (the file is then repaired from its lines).
std::optional<TPrfDay> ParsePrfDay(const QByteArray& bytes);
// Lines of the template's shape as a day.
TPrfDay PrfDayFromLines(const QStringList& lines);

}  // namespace qmfiles
