#pragma once

#include <QString>

namespace qmplatform {

// The machine-wide data folder of the system (XDG data home here), without our sub-folder;
// empty when the system has none.
QString AllUsersDataFolder();

// AllUsersDataFolder() + "Brackenhall/Quietmark-SV/", not created; empty when the system folder
// is unavailable.
QString AppDataFolderPath();
// AppDataFolderPath(), created when missing; empty when the system folder is unavailable or the
// folder cannot be created.
QString AppDataFolder();

// Full path of the running executable, and its folder with a trailing separator.
QString ExecutablePath();
QString ProgramFolder();

// Ensures a trailing native separator.
QString WithTrailingSeparator(const QString& path);

}  // namespace qmplatform
