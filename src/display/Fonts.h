#pragma once

#include <QFont>

namespace qmfonts {

// The display's typeface at a pixel size.
QFont Tahoma(int px, bool bold = false);

}  // namespace qmfonts
