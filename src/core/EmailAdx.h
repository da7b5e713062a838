#pragma once

#include <QString>

// The address check of the alert settings: an at sign from the second character on, a last "."
// at least two characters after it and at least two characters before the end. Nothing else is
// checked; blanks and further at signs pass.
bool ValidEmailAdx(const QString& text);

// Every ";"-separated part passes ValidEmailAdx, untrimmed. An empty list passes; a trailing ";"
// leaves an empty part, which fails.
bool ValidEmailList(const QString& list);
