#include "platform/Shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QProcess>
#include <QUrl>

namespace qmplatform {

bool OpenUrl(const QString& url) { return QDesktopServices::openUrl(QUrl(url)); }

bool StartProgram(const QString& program, const QStringList& args, qint64* pid) {
  return QProcess::startDetached(program, args, QFileInfo(program).absolutePath(), pid);
}

bool CtrlHeld() { return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier); }

QString UserLocaleName() { return QLocale::system().name().replace(QLatin1Char('_'), '-'); }

}  // namespace qmplatform
