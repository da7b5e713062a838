#pragma once

#include "core/TCnx.h"

#include <QString>

class ISupervisorUi;
class TCfg;
class TClientList;
class TRunstat;
class TStorageQueue;

// What live/ and download/ need of the running program: a line to a monitor, the monitor
// records, the settings, the run-time status, the storage threads and the main window. The
// supervisor implements it; tests use a small fake.
class IMonitorLink {
 public:
  virtual ~IMonitorLink() = default;
  // Queues one line for a connection; false when it was dropped.
  virtual bool Send(const TCtx& ctx, const QString& line) = 0;
  virtual TClientList& Clients() = 0;
  virtual TCfg& Cfg() = 0;
  virtual TRunstat& Runstat() = 0;
  virtual ISupervisorUi& Ui() = 0;
  virtual TStorageQueue& Storage() = 0;
};
