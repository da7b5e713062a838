#pragma once

#include "core/TCfg.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <chrono>
#include <functional>
#include <utility>
#include <vector>

namespace qmtest {

// Runs the event loop until the condition holds or the time is up; returns the condition.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 5000);

// A settings environment inside a temporary folder.
TCfg::Env TempEnv(const QTemporaryDir& dir);

// Writes settings.ini for a supervisor under test: any free port, then the "section/key" values.
void WriteTestSettings(const TCfg::Env& env,
                       const std::vector<std::pair<QString, QString>>& settings);

// A port nobody listens on right now.
quint16 FreePort();

// A blocking loopback TCP client for tests.
class Client {
 public:
  explicit Client(quint16 port);
  ~Client();
  bool Connected() const { return fd_ >= 0; }
  bool Send(const QByteArray& bytes);
  // Reads until `count` complete lines have arrived (CR LF stripped) or the time is up.
  QList<QByteArray> ReadLines(int count, int timeoutMs = 3000);
  // Everything received within the time.
  QByteArray ReadFor(int ms);
  // True when the peer closed the connection within the time.
  bool WaitClosed(int timeoutMs);
  void Close();

 private:
  int fd_ = -1;
  QByteArray buffer_;
};

}  // namespace qmtest
