#include "core/RepeatFilter.h"

#include <algorithm>

namespace {
QString Counted(const QString& text, int repeats) {
  return text + QStringLiteral(" (%1 more times)").arg(repeats);
}
}  // namespace

QStringList TRepeatFilter::Pass(quint64 connection, const QString& text) {
  if (!clock_.isValid()) clock_.start();
  const qint64 now = clock_.elapsed();
  Last& last = last_[connection];
  if (last.text == text && last.loggedMs > 0) {
    if (now - last.loggedMs < kIntervalMs) {
      ++last.repeats;
      return {};
    }
    const QString line = last.repeats > 0 ? Counted(text, last.repeats) : text;
    last.repeats = 0;
    last.loggedMs = now;
    return {line};
  }
  QStringList lines;
  if (last.repeats > 0) lines << Counted(last.text, last.repeats);
  lines << text;
  last = Last{text, std::max<qint64>(now, 1), 0};
  return lines;
}

void TRepeatFilter::Forget(quint64 connection) { last_.erase(connection); }
