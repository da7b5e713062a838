#pragma once

#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace qmtest {

// A mail server (aiosmtpd, tests/live/smtp_server.py) on a free loopback port that stores what
// it receives as JSON files.
class SmtpServer {
 public:
  explicit SmtpServer(const QStringList& options = {});
  ~SmtpServer();
  bool Ready() const { return ready_; }
  int Port() const { return port_; }
  QList<QJsonObject> Messages() const;

 private:
  int port_;
  QTemporaryDir dir_;
  QProcess proc_;
  bool ready_ = false;
};

}  // namespace qmtest
