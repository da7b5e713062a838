#include "e2e/SupervisorProcess.h"

#include "core/IniFile.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QThread>

#include <csignal>

namespace qmtest {

QString ReadText(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QString::fromLatin1(f.readAll());
}

QString SupervisorProcess::Binary(const char* name) {
  return QStringLiteral(QMSV_BINARY_DIR "/") + QString::fromLatin1(name);
}

SupervisorProcess::SupervisorProcess() : port_(FreePort()) {
  QDir().mkpath(AppData());
  QDir().mkpath(root_.path() + "/runtime");
  QFile::setPermissions(root_.path() + "/runtime",
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  Setting("network", "port", QString::number(port_));
}

SupervisorProcess::~SupervisorProcess() {
  if (process_ && process_->state() != QProcess::NotRunning) Kill();
}

void SupervisorProcess::Setting(const QString& section, const QString& key, const QString& value) {
  IniFile(AppData() + "settings.ini").WriteString(section, key, value);
}

QProcessEnvironment SupervisorProcess::Environment() const {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("XDG_DATA_HOME", root_.path() + "/data-home");
  env.insert("XDG_CONFIG_HOME", root_.path() + "/config");
  env.insert("XDG_RUNTIME_DIR", root_.path() + "/runtime");
  env.remove("DISPLAY");
  env.remove("WAYLAND_DISPLAY");
  return env;
}

bool SupervisorProcess::Start(const QStringList& args) {
  process_ = std::make_unique<QProcess>();
  process_->setProcessEnvironment(Environment());
  process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process_->start(Binary("quietmark-sv"), args);
  if (!process_->waitForStarted(5000)) return false;
  for (int i = 0; i < 200; ++i) {
    Client probe(port_);
    if (probe.Connected()) return true;
    if (process_->state() == QProcess::NotRunning) return false;
    QThread::msleep(25);
  }
  return false;
}

int SupervisorProcess::Stop() {
  if (!process_ || process_->state() == QProcess::NotRunning)
    return process_ ? process_->exitCode() : -1;
  ::kill(static_cast<pid_t>(process_->processId()), SIGTERM);
  if (!process_->waitForFinished(15000)) {
    Kill();
    return -1;
  }
  return process_->exitStatus() == QProcess::NormalExit ? process_->exitCode() : -1;
}

void SupervisorProcess::Kill() {
  process_->kill();
  process_->waitForFinished(5000);
}

QString SupervisorProcess::LastRun() const { return ReadText(AppData() + "lastrun.log"); }
QString SupervisorProcess::Settings() const { return ReadText(AppData() + "settings.ini"); }

}  // namespace qmtest
