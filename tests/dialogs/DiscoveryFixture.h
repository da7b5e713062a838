#pragma once

#include "core/Discovery.h"
#include "core/TClientList.h"
#include "dialogs/FindSearch.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

namespace qmtest {

// The probe of every dialog under test: loopback only. An address outside 127.0.0.0/8 fails the
// test and is never contacted.
inline TProbeResult LoopbackProbe(const QString& address, int port) {
  if (!address.startsWith(QLatin1String("127."))) {
    ADD_FAILURE() << "probe outside loopback refused: " << address.toStdString();
    return {};
  }
  return ProbeMonitor(address, port);
}

// Log lines a dialog writes.
struct LogCapture {
  QStringList msgs;
  QStringList debugs;
  int Count(const QString& line) const { return static_cast<int>(msgs.count(line)); }
};

// A search environment pinned to 127.0.0.1, probing through LoopbackProbe.
inline TFindSearch::Env LoopbackEnv(TClientList* clients, int serverPort, LogCapture* log) {
  TFindSearch::Env env;
  env.clients = clients;
  env.serverPort = serverPort;
  env.localAddress = [] { return QStringLiteral("127.0.0.1"); };
  env.probe = LoopbackProbe;
  env.logMsg = [log](const QString& t) { log->msgs << t; };
  env.logDebug = [log](const QString& t) { log->debugs << t; };
  return env;
}

// A record of a connected monitor at the address.
inline void AddConnected(TClientList& clients, const QString& ipadx, const QString& id,
                         const QString& name) {
  TClientListHold hold(clients);
  TDTClient* c = clients.AddClient();
  ASSERT_TRUE(c);
  c->ipadx = ipadx;
  c->sID = id;
  c->sName = name;
}

// One qmsim monitor whose discovery answers on a loopback address at the supervisor port + 1
// and which connects to its prober only once probed.
class SimDiscovery {
 public:
  SimDiscovery(const QString& bind, quint16 supervisorPort, const QString& idPrefix,
               const QString& type = QStringLiteral("se")) {
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.start(QStringLiteral(QMSV_BINARY_DIR "/qmsim"),
                   {"--port", QString::number(supervisorPort), "--discovery-bind", bind,
                    "--wait-probe", "--type", type, "--id-prefix", idPrefix, "-v"});
  }
  ~SimDiscovery() {
    process_.terminate();
    if (!process_.waitForFinished(3000)) process_.kill();
    process_.waitForFinished();
  }
  bool WaitListening(int timeoutMs = 10000) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs && process_.state() != QProcess::NotRunning) {
      process_.waitForReadyRead(100);
      output_ += process_.readAll();
      if (output_.contains("discovery listening on")) return true;
    }
    return false;
  }

 private:
  QProcess process_;
  QByteArray output_;
};

}  // namespace qmtest
