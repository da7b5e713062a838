#include "dialogs/FindSearch.h"

#include "core/EventLog.h"
#include "core/TClientList.h"
#include "platform/LocalAddress.h"

#include <QStringList>

namespace {
const QString kDefaultSubNet = QStringLiteral("192.168.0.");
}

TFindSearch::Env TFindSearch::Env::Live(TClientList* clients, int serverPort) {
  Env env;
  env.clients = clients;
  env.serverPort = serverPort;
  env.localAddress = qmplatform::LocalIPv4Address;
  env.probe = [](const QString& address, int port) { return ProbeMonitor(address, port); };
  env.logMsg = LogMsg;
  env.logDebug = LogDebug;
  return env;
}

TFindSearch::TFindSearch(Env env) : env_(std::move(env)) {}

QString TFindSearch::SubNetOf(const QString& address) {
  const QStringList parts = address.split(QLatin1Char('.'));
  if (parts.size() != 4) return kDefaultSubNet;
  return parts[0] + '.' + parts[1] + '.' + parts[2] + '.';
}

void TFindSearch::Start() {
  sSubNet = kDefaultSubNet;
  nPort = env_.serverPort + 1;
  QString address;
  try {
    address = env_.localAddress();
  } catch (...) {
  }
  if (address.isEmpty())
    env_.logDebug(QStringLiteral("TFormFindClients.FormShow(): SUBNET EXCEPTION"));
  else
    sSubNet = SubNetOf(address);
  nAdx = 0;
  env_.logMsg(QStringLiteral("Server search: ") + sSubNet + QStringLiteral("xxx:") +
              QString::number(nPort));
  bSentry = false;
  nFindCount = 0;
}

QString TFindSearch::Tick() {
  if (bSentry || Finished()) return {};
  env_.logDebug(QStringLiteral("TFormFindClients.timerFindTimer(): ") + sSubNet +
                QString::number(nAdx));
  bSentry = true;
  const QString address = sSubNet + QString::number(nAdx);
  QString line;
  bool known = false;
  {
    // Held for the look-up only, never across the probe.
    TClientListHold hold(*env_.clients);
    if (const TDTClient* client = env_.clients->GetClientFromIPAdx(address)) {
      known = true;
      line = client->sID + QStringLiteral(" / ") + client->sName +
             QStringLiteral(" already connected on ") + client->ipadx;
    }
  }
  if (!known) {
    const TProbeResult r = env_.probe(address, nPort);
    if (!r.bConnected) {
      env_.logDebug(QStringLiteral("TFormFindServer.timerFindTimer(): EXCEPTION"));
    } else if (r.monitor) {
      line = r.monitor->sID + QStringLiteral(" / ") + r.monitor->sName +
             QStringLiteral(" found on ") + address;
      ++nFindCount;
      env_.logMsg(QStringLiteral("Client search: Found on ") + address);
      env_.logMsg(DeviceLogLine(*r.monitor));
    } else {
      env_.logMsg(QStringLiteral("Search server found but no response"));
    }
  }
  ++nAdx;
  if (Finished()) env_.logMsg(QStringLiteral("Monitor search finished"));
  bSentry = false;
  return line;
}

QString TFindSearch::FinalStatus() const {
  if (nFindCount == 0)
    return QStringLiteral("Search completed. No monitors found on local network.");
  return QStringLiteral("Search completed. ") + QString::number(nFindCount) +
         QStringLiteral(" monitor") + (nFindCount >= 2 ? QStringLiteral("s") : QString()) +
         QStringLiteral(" found.");
}
