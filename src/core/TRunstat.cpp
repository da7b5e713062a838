#include "core/TRunstat.h"

TRunstat::TRunstat(const QStringList& args, const QString& programFolder,
                   const QString& appDataFolder)
    : bDebugLog(DebugSwitch(args)),
      sProgPath(ProgramPath(programFolder)),
      sAppDataPath(appDataFolder) {}

bool TRunstat::DebugSwitch(const QStringList& args) {
  return args.contains(QStringLiteral("bhdebug=on"), Qt::CaseSensitive);
}

QString TRunstat::ProgramPath(QString folder) {
  // A build run from the IDE's output folders finds its files in the project folder.
  for (const QString& sep : {QStringLiteral("\\"), QStringLiteral("/")}) {
    const QString debug = QStringLiteral("Win32") + sep + QStringLiteral("Debug");
    const QString release = QStringLiteral("Win32") + sep + QStringLiteral("Release");
    if (folder.contains(debug)) folder.chop(12);
    if (folder.contains(release)) folder.chop(14);
  }
  return folder;
}
