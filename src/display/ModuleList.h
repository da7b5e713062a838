#pragma once

#include <QString>
#include <QStringList>

namespace qmmodules {

// Splits delimited text the way the monitors' module lists are written: entries end at the
// delimiter or at any space or control character, text in double quotes is kept whole (a doubled
// quote inside stands for one), and a delimiter at the very end adds an empty entry.
QStringList SplitQuoted(const QString& text, QChar delimiter);

struct Modules {
  bool any = false;      // the list has at least one entry (the menu gets a "Modules" item)
  QStringList captions;  // "NAME v1.2" for every entry of exactly a name and a version
};

Modules ModuleCaptions(const QString& sModules);

}  // namespace qmmodules
