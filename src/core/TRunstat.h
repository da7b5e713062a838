#pragma once

#include <QString>
#include <QStringList>

#include <atomic>

// Run-time status of the process.
class TRunstat {
 public:
  enum TWindowState { wsNormal = 0, wsMinimized = 1, wsMaximized = 2 };

  // args: the whole command line, program path included. programFolder: the executable's folder
  // with a trailing separator. appDataFolder: the machine-wide data folder (already created) or
  // empty.
  TRunstat(const QStringList& args, const QString& programFolder, const QString& appDataFolder);

  static bool DebugSwitch(const QStringList& args);
  static QString ProgramPath(QString folder);

  // Read by the server thread without a lock.
  std::atomic<bool> bDebugLog{false};
  QString sProgPath;
  QString sAppDataPath;
  bool bMinimised = false;
  bool bRTLiveOnMin = false;
  bool bHistoryOnMin = false;
  TWindowState winstateOnMin = wsNormal;
};
