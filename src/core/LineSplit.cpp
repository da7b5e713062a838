#include "core/LineSplit.h"

#include "core/Text.h"

namespace qmtext {

TReceivedLines SplitReceived(std::string& pending, const char* data, std::size_t n,
                             std::size_t maxLine) {
  TReceivedLines out;
  std::size_t start = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (data[i] != '\n') continue;
    if (pending.size() + (i - start) > maxLine) {
      pending.clear();
      start = n;
      ++out.overlong;
      break;
    }
    pending.append(data + start, i - start);
    start = i + 1;
    if (!pending.empty() && pending.back() == '\r') pending.pop_back();
    if (pending.empty()) continue;
    out.lines.push_back(FromAscii(pending.data(), static_cast<qsizetype>(pending.size())));
    pending.clear();
  }
  if (start < n) pending.append(data + start, n - start);
  if (pending.size() > maxLine) {
    pending.clear();
    ++out.overlong;
  }
  return out;
}

}  // namespace qmtext
