#pragma once

#include "core/Text.h"

#include <QString>

#include <string>

namespace qmtext {

// Splits received bytes into lines: LF ends a line, a CR before it is dropped, empty lines are
// skipped, and the unfinished rest waits in `pending` for the next read. Each complete line goes
// to onLine (7-bit text) as soon as it is found, so a reader holds no more than one line. A line
// longer than maxLine empties the buffer and drops the rest of these bytes; returns how often
// that happened.
template <class OnLine>
int SplitReceived(std::string& pending, const char* data, std::size_t n, std::size_t maxLine,
                  OnLine&& onLine) {
  int overlong = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (data[i] != '\n') continue;
    if (pending.size() + (i - start) > maxLine) {
      pending.clear();
      start = n;
      ++overlong;
      break;
    }
    pending.append(data + start, i - start);
    start = i + 1;
    if (!pending.empty() && pending.back() == '\r') pending.pop_back();
    if (pending.empty()) continue;
    onLine(FromAscii(pending.data(), static_cast<qsizetype>(pending.size())));
    pending.clear();
  }
  if (start < n) pending.append(data + start, n - start);
  if (pending.size() > maxLine) {
    pending.clear();
    ++overlong;
  }
  return overlong;
}

}  // namespace qmtext
