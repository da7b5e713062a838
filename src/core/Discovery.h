#pragma once

#include <QString>

#include <chrono>
#include <optional>

// What a monitor says of itself in answer to the discovery probe.
struct TMonitorAnswer {
  QString sType;
  QString sID;
  QString sName;
};

// An answer of exactly three "&"-separated fields is a monitor; an empty name is allowed.
std::optional<TMonitorAnswer> SplitDiscoveryAnswer(const QString& line);
// The log line of a found monitor: "  Device:" type " ID:" ID " Name" name.
QString DeviceLogLine(const TMonitorAnswer& answer);

struct TProbeTimeouts {
  std::chrono::milliseconds connect{500};
  // A host that accepts and never answers must not stall the dialog that probes.
  std::chrono::milliseconds answer{1000};
};

struct TProbeResult {
  bool bConnected = false;  // the host accepted the connection
  QString sAnswer;          // the answer line without CR LF; empty when sending or reading failed
  std::optional<TMonitorAnswer> monitor;
};

// The discovery exchange with one IPv4 address (dotted, as ValidIPAdx accepts it): connect,
// send "cpsv" CR LF, read one line, close. Blocks for at most the two time-outs.
TProbeResult ProbeMonitor(const QString& address, int port, TProbeTimeouts timeouts = {});
