#pragma once

#include <QString>

#include <string>
#include <vector>

namespace qmtext {

// What one read gives a connection's reader.
struct TReceivedLines {
  std::vector<QString> lines;  // complete, non-empty lines in order (7-bit text)
  int overlong = 0;            // how often a line longer than the limit emptied the buffer
};

// Splits received bytes into lines: LF ends a line, a CR before it is dropped, empty lines are
// skipped, and the unfinished rest waits in `pending` for the next read. A line longer than
// maxLine empties the buffer and drops the rest of these bytes; the connection stays.
TReceivedLines SplitReceived(std::string& pending, const char* data, std::size_t size,
                             std::size_t maxLine);

}  // namespace qmtext
