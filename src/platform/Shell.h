#pragma once

#include <QString>
#include <QStringList>

namespace qmplatform {

// Opens a URL with the desktop's handler; false when nothing could open it.
bool OpenUrl(const QString& url);
// Starts a program detached from this one; false when it could not be started.
bool StartProgram(const QString& program, const QStringList& args = {}, qint64* pid = nullptr);
// A process started by StartProgram is still running.
bool ProgramRunning(qint64 pid);
// The Ctrl key is held down right now.
bool CtrlHeld();
// The user's locale name with "-" between language and country, e.g. "en-GB".
QString UserLocaleName();

}  // namespace qmplatform
