#pragma once

#include "core/TCnx.h"

#include <QString>

class TSupervisor;

// What the remote settings dialog does to its monitor. Every call finds the monitor's record by
// the connection first, so nothing reaches a monitor that has gone, even while the dialog stays.
class IRemoteMonitor {
 public:
  virtual ~IRemoteMonitor() = default;
  // Queues a line for the monitor; false when its record has gone or the line was not queued.
  virtual bool Send(const TCtx& ctx, const QString& line) = 0;
  // Closes the monitor's connection and drops its record; nothing when the record has gone.
  virtual void Disconnect(const TCtx& ctx) = 0;
};

// The running program's monitors.
class TSupervisorRemote : public IRemoteMonitor {
 public:
  explicit TSupervisorRemote(TSupervisor& sup) : sup_(sup) {}
  bool Send(const TCtx& ctx, const QString& line) override;
  void Disconnect(const TCtx& ctx) override;

 private:
  bool HasRecord(const TCtx& ctx) const;
  TSupervisor& sup_;
};
