// Keep-alive pings and the clock line.
#include "core/Clock.h"
#include "supervisor/TSupervisor.h"

void TSupervisor::timerPingTimer() {
  LogDebug(QStringLiteral("TFormMain.timerPingTimer()"));
  if (!clients_) return;
  TClientListHold hold(*clients_);
  try {
    const int count = clients_->Count();
    for (int i = 0; i < count; ++i) {
      TDTClient* client = clients_->GetClient(i);
      if (!client || !client->Connected()) continue;
      if (client->bPinged && client->ctx && client->ctx->RxWaiting()) {
        // Its lines, the answer perhaps among them, wait in our queue behind other monitors'
        // downloads: the monitor is alive, the delay is ours.
      } else if (client->bPinged) {
        LogMsg(client->sID + QStringLiteral(": missed ping #") +
               QString::number(client->nPingMissCount));
        ++client->nPingMissCount;
      } else {
        client->nPingMissCount = 0;
      }
      if (client->nPingMissCount < 3) {
        Send(client->ctx, QStringLiteral("ping"));
        client->bPinged = true;
      } else {
        LogMsg(client->sID + QStringLiteral(": connection lost"));
        const TCtx ctx = client->ctx;  // the record goes with the call
        DeleteConnection(ctx);
      }
    }
  } catch (const std::exception&) {
    LogMsg(QStringLiteral("Ping Exception"));
  }
}

void TSupervisor::SyncClock(TDTClient& client) {
  if (!cfg_->ClockSync()) return;
  const QDateTime now = qmclock::Now();
  const QString line = QStringLiteral("setclk&") + now.toString(QStringLiteral("yyyy-MM-dd")) +
                       QLatin1Char('&') + now.toString(QStringLiteral("HH:mm:ss"));
  Send(client.ctx, line);
  LogMsg(client.sID + QStringLiteral(": Clock sync ") + line);
}
