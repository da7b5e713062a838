#include "display/Fonts.h"

namespace qmfonts {

QFont Tahoma(int px, bool bold) {
  QFont f(QStringLiteral("Tahoma"));
  f.setPixelSize(px);
  f.setBold(bold);
  return f;
}

}  // namespace qmfonts
