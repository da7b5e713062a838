#pragma once

#include "core/Discovery.h"

#include <QString>

#include <functional>

class TClientList;

// The LAN search of the find dialog without its widgets: one address of the local /24 per
// tick, 0 to 255.
class TFindSearch {
 public:
  using Probe = std::function<TProbeResult(const QString& address, int port)>;
  using Text = std::function<void(const QString&)>;

  struct Env {
    TClientList* clients = nullptr;
    int serverPort = 0;
    std::function<QString()> localAddress;  // this PC's IPv4 address
    Probe probe;                            // the discovery exchange
    Text logMsg;
    Text logDebug;

    // The running program's: the detected (or pinned) local address, the real probe, the log.
    static Env Live(TClientList* clients, int serverPort);
  };

  explicit TFindSearch(Env env);

  // "a.b.c." of a dotted address with four parts, else "192.168.0.".
  static QString SubNetOf(const QString& address);

  // Sets the subnet and the port from the local address and the settings, and logs the start.
  void Start();
  // One timer tick: probes or lists the next address; returns the list line, if any.
  QString Tick();
  bool Finished() const { return nAdx > 255; }
  // The status line once the search is over.
  QString FinalStatus() const;

  QString sSubNet;
  int nAdx = 0;
  int nPort = 0;
  bool bSentry = false;
  int nFindCount = 0;

 private:
  Env env_;
};
