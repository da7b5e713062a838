#pragma once

#include <QString>

// Opens the program's help viewer at a page below help/ (for example "network/findnew.html").
// Any window or dialog may call it; the viewer outlives the caller.
void ShowHelpPage(const QString& page);
