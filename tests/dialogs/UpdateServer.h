#pragma once

#include "support/TestSupport.h"

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace qmtest {

// The vendor's server played by a small Python server on a free loopback port.
class UpdateServer {
 public:
  // `status` is an HTTP status or "hang" (accepts and never answers).
  UpdateServer(const QTemporaryDir& dir, const QByteArray& status, const QByteArray& body)
      : log_(dir.filePath("requests.log")) {
    const QString bodyFile = dir.filePath("body");
    QFile f(bodyFile);
    if (!f.open(QIODevice::WriteOnly) || f.write(body) != body.size()) return;
    f.close();
    proc_.start("/usr/bin/python3", {QMSV_SOURCE_DIR "/tests/support/update_server.py", log_,
                                     QString::fromLatin1(status), bodyFile});
    if (!proc_.waitForStarted(5000)) return;
    if (!WaitFor([&] { return proc_.canReadLine(); }, 10000)) return;
    port_ = proc_.readLine().trimmed().toInt();
  }
  ~UpdateServer() {
    proc_.kill();
    proc_.waitForFinished(3000);
  }
  int Port() const { return port_; }
  QString Url() const { return QStringLiteral("http://127.0.0.1:%1").arg(port_); }
  // Path, content type and body of each request received.
  QList<QStringList> Requests() const {
    QList<QStringList> out;
    QFile f(log_);
    if (!f.open(QIODevice::ReadOnly)) return out;
    for (const QByteArray& line : f.readAll().split('\n'))
      if (!line.isEmpty()) out << QString::fromLatin1(line).split('\t');
    return out;
  }

 private:
  QString log_;
  QProcess proc_;
  int port_ = 0;
};

}  // namespace qmtest
