#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace qmtest {

// The real quietmark-sv, headless, with its data in a temporary folder and a free port.
class SupervisorProcess {
 public:
  SupervisorProcess();
  ~SupervisorProcess();

  // Adds "key=value" lines to a section of settings.ini before the start.
  void Setting(const QString& section, const QString& key, const QString& value);
  // Starts the program and waits until it accepts connections.
  bool Start(const QStringList& args = {"bhdebug=on"});
  // SIGTERM and wait; returns the exit code (-1 when it had to be killed).
  int Stop();
  void Kill();

  quint16 Port() const { return port_; }
  QString AppData() const { return root_.path() + "/data-home/Brackenhall/Quietmark-SV/"; }
  QString DataPath() const { return AppData() + "data/"; }
  QProcessEnvironment Environment() const;
  QString LastRun() const;
  QString Settings() const;
  QProcess& Process() { return *process_; }

  static QString Binary(const char* name);

 private:
  QTemporaryDir root_;
  quint16 port_;
  std::unique_ptr<QProcess> process_;
};

QString ReadText(const QString& path);

}  // namespace qmtest
