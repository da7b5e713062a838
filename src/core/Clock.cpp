#include "core/Clock.h"

namespace qmclock {
namespace {
std::function<QDateTime()>& Source() {
  static std::function<QDateTime()> source;
  return source;
}
}  // namespace

QDateTime Now() {
  const auto& source = Source();
  return source ? source() : QDateTime::currentDateTime();
}

void SetSource(std::function<QDateTime()> source) { Source() = std::move(source); }

}  // namespace qmclock
