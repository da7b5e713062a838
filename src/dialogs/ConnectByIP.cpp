#include "dialogs/ConnectByIP.h"

TConnectOutcome ConnectByIP(const QString& address, const TFindSearch::Env& env,
                            const std::function<void(const QString&)>& showStatus) {
  env.logMsg(QStringLiteral("Find by IP: ") + address);
  showStatus(QStringLiteral("Attempting to connect to ") + address);
  const TProbeResult r = env.probe(address, env.serverPort + 1);
  TConnectOutcome out;
  if (r.monitor) {
    env.logMsg(QStringLiteral("  Found on: ") + address);
    env.logMsg(DeviceLogLine(*r.monitor));
    out.bFound = true;
    out.sStatus = QStringLiteral("  Device found on ") + address +
                  QStringLiteral("\rAutomatic connection expected within 30 seconds");
    return out;
  }
  if (r.bConnected)
    env.logMsg(QStringLiteral("  ") + address + QStringLiteral(" server found but no response"));
  out.sStatus = QStringLiteral("  Failed to connect on ") + address;
  return out;
}
