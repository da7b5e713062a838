#pragma once

#include <QString>

// Received text echoed into the log is cut, so a peer's long lines cannot fill the memory.
namespace qmlog {

inline constexpr qsizetype kMaxEcho = 1024;
// The text, or its first 1024 characters and " (N chars)" with its whole length.
QString Cut(const QString& text);

}  // namespace qmlog
