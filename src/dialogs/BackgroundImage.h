#pragma once

#include <QString>

// The user's background picture of the main window: "quietmarksv.jpg" in the application-data
// folder.
namespace qmbackground {

QString ImagePath(const QString& appDataFolder);

// Copies the picture over the user's one, whole or not at all (temporary file, then rename), so
// a failed copy never leaves half a picture. False when the source cannot be read or the copy
// cannot be written.
bool CopyImage(const QString& source, const QString& appDataFolder);

}  // namespace qmbackground
