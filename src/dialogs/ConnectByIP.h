#pragma once

#include "dialogs/FindSearch.h"

#include <QString>

struct TConnectOutcome {
  bool bFound = false;
  QString sStatus;
};

// The connect-by-IP exchange without its widgets: logs the attempt, shows the "Attempting"
// status through showStatus before the blocking probe, probes the address on the discovery
// port and returns the final status text.
TConnectOutcome ConnectByIP(const QString& address, const TFindSearch::Env& env,
                            const std::function<void(const QString&)>& showStatus);
