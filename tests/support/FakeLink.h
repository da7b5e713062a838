#pragma once

#include "core/Globals.h"
#include "core/IMonitorLink.h"
#include "core/StorageQueue.h"
#include "core/TCfg.h"
#include "core/TClientList.h"
#include "core/TRunstat.h"
#include "support/FakeUi.h"
#include "support/TestSupport.h"

#include <QStringList>
#include <QTemporaryDir>

// The running program as live/ and download/ see it, without a server: lines sent are recorded,
// the settings live in a temporary folder and are the process-wide ones while this exists.
class FakeLink : public IMonitorLink {
 public:
  FakeLink() : cfg(qmtest::TempEnv(dir)), runstat({"test"}, QString(), QString()) {
    previous_ = qmglobals::Cfg();
    qmglobals::SetCfg(&cfg);
  }
  ~FakeLink() override {
    if (qmglobals::Cfg() == &cfg) qmglobals::SetCfg(previous_);
  }
  FakeLink(const FakeLink&) = delete;
  FakeLink& operator=(const FakeLink&) = delete;

  bool Send(const TCtx&, const QString& line) override {
    sent << line;
    return true;
  }
  TClientList& Clients() override { return clients; }
  TCfg& Cfg() override { return cfg; }
  TRunstat& Runstat() override { return runstat; }
  ISupervisorUi& Ui() override { return ui; }
  TStorageQueue& Storage() override { return storage; }

  QTemporaryDir dir;
  TCfg cfg;
  TRunstat runstat;
  TClientList clients;
  TStorageQueue storage;
  FakeUi ui;
  QStringList sent;

 private:
  TCfg* previous_ = nullptr;
};
