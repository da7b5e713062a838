#include "support/SmtpServer.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>

#include <algorithm>

namespace qmtest {

SmtpServer::SmtpServer(const QStringList& options) : port_(FreePort()) {
  proc_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  proc_.start("/usr/bin/python3",
              QStringList{"-W", "ignore", QMSV_SOURCE_DIR "/tests/live/smtp_server.py",
                          QString::number(port_), dir_.path()} +
                  options);
  QElapsedTimer t;
  t.start();
  // Python can take well over a second to start on a busy machine.
  QByteArray out;
  while (!ready_ && t.elapsed() < 20000 && proc_.state() != QProcess::NotRunning) {
    proc_.waitForReadyRead(200);
    out += proc_.readAllStandardOutput();
    ready_ = out.contains("READY");
  }
}

SmtpServer::~SmtpServer() {
  proc_.kill();
  proc_.waitForFinished(3000);
}

QList<QJsonObject> SmtpServer::Messages() const {
  QStringList names = QDir(dir_.path()).entryList({"msg*.json"}, QDir::Files);
  // In arrival order: msg2 before msg10.
  std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
    return a.mid(3).section('.', 0, 0).toInt() < b.mid(3).section('.', 0, 0).toInt();
  });
  QList<QJsonObject> out;
  for (const QString& name : names) {
    QFile f(QDir(dir_.path()).filePath(name));
    f.open(QIODevice::ReadOnly);
    out << QJsonDocument::fromJson(f.readAll()).object();
  }
  return out;
}

}  // namespace qmtest
