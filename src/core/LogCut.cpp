#include "core/LogCut.h"

namespace qmlog {

QString Cut(const QString& text) {
  if (text.size() <= kMaxEcho) return text;
  return text.left(kMaxEcho) + QStringLiteral(" (%1 chars)").arg(text.size());
}

}  // namespace qmlog
