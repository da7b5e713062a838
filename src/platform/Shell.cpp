#include "platform/Shell.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QProcess>
#include <QUrl>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#endif

namespace qmplatform {

bool OpenUrl(const QString& url) { return QDesktopServices::openUrl(QUrl(url)); }

bool StartProgram(const QString& program, const QStringList& args, qint64* pid) {
  return QProcess::startDetached(program, args, QFileInfo(program).absolutePath(), pid);
}

bool ProgramRunning(qint64 pid) {
  if (pid <= 0) return false;
#ifdef Q_OS_WIN
  HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
  if (!h) return false;
  DWORD code = 0;
  const bool running = GetExitCodeProcess(h, &code) && code == STILL_ACTIVE;
  CloseHandle(h);
  return running;
#else
  if (::kill(pid_t(pid), 0) != 0 && errno != EPERM) return false;
  // A process that has ended but was not reaped yet still answers kill().
  QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!stat.open(QIODevice::ReadOnly)) return true;
  const QByteArray line = stat.readAll();
  const qsizetype close = line.lastIndexOf(')');
  const char state = close >= 0 && close + 2 < line.size() ? line[close + 2] : '?';
  return state != 'Z' && state != 'X';
#endif
}

bool CtrlHeld() { return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier); }

QString UserLocaleName() { return QLocale::system().name().replace(QLatin1Char('_'), '-'); }

}  // namespace qmplatform
