#include "live/Alarms.h"

#include "core/Clock.h"
#include "core/EventLog.h"
#include "core/Globals.h"
#include "core/IMonitorLink.h"
#include "core/IMonitorWindow.h"
#include "core/ISupervisorUi.h"
#include "core/TCfg.h"
#include "core/TClientList.h"
#include "core/TRunstat.h"
#include "core/Text.h"
#include "live/TQmAlert.h"
#include "platform/ProcessMemory.h"

#include <cmath>

namespace {

// Ages beyond this many seconds (about 3000 years) cannot be real and would overflow the date.
constexpr double kMaxAgeSeconds = 1e11;

QDateTime LongPast() { return QDateTime(QDate(1899, 12, 30), QTime(0, 0)); }

int RepPeriodMinutes() {
  const TCfg* cfg = qmglobals::Cfg();
  return cfg ? cfg->ReportPeriod() : 15;
}

}  // namespace

void SetAlarms(TDTClient& client, const QString& sAlarms) {
  LogDebug(QStringLiteral("TDTClient.SetAlarms(): ") + client.sID);
  const QDateTime now = qmclock::Now();
  const QStringList ages =
      sAlarms.isEmpty() ? QStringList() : qmtext::SplitStrict(sAlarms, QLatin1Char(';'));
  client.adtAlarms.clear();
  client.adtAlarms.reserve(ages.size());
  for (const QString& age : ages) {
    const auto seconds = qmtext::ToDouble(age);
    if (seconds && std::fabs(*seconds) <= kMaxAgeSeconds)
      client.adtAlarms.push_back(now.addMSecs(-std::llround(*seconds * 1000.0)));
    else
      client.adtAlarms.push_back(LongPast());
  }
}

void AddAlarm(TDTClient& client) {
  LogDebug(QStringLiteral("TDTClient.AddAlarm(): ") + client.sID);
  client.adtAlarms.push_back(qmclock::Now());
  UpdateAlarmDisplay(client);
  if (client.frame) client.frame->NewAlarm();
}

QDateTime AlarmCountSince() { return qmclock::Now().addSecs(-qint64(RepPeriodMinutes()) * 60); }

int AlarmCount(const TDTClient& client, const QDateTime& since) {
  int count = 0;
  for (const QDateTime& t : client.adtAlarms)
    if (t > since) ++count;
  return count;
}

int AlarmCount(const TDTClient& client) { return AlarmCount(client, AlarmCountSince()); }

void UpdateAlarmDisplay(TDTClient& client) { UpdateAlarmDisplay(client, AlarmCountSince()); }

void UpdateAlarmDisplay(TDTClient& client, const QDateTime& since) {
  const int count = AlarmCount(client, since);
  if (client.frame) client.frame->SetAlarmCount(count);
}

bool AlarmCountChanged(TDTClient& client) { return AlarmCountChanged(client, AlarmCountSince()); }

bool AlarmCountChanged(TDTClient& client, const QDateTime& since) {
  const int count = AlarmCount(client, since);
  const bool changed = count != client.nLastAlmCount;
  client.nLastAlmCount = count;
  return changed;
}

qint64 ProcessMemory() {
  const std::uint64_t bytes = qmplatform::ResidentMemoryBytes();
  return bytes == 0 ? -1 : qint64(bytes);
}

QString LogWindowCaption() {
  return QStringLiteral("Quietmark Supervisor - ") + QString::number(ProcessMemory() / 1024) +
         QLatin1Char('k');
}

TAlarms::TAlarms(IMonitorLink& link, TQmAlert* alert) : link_(link), alert_(alert) {}

bool TAlarms::AlarmsRx(TDTClient& client, const QStringList& fields) {
  SetAlarms(client, fields.value(1));
  return true;
}

bool TAlarms::AlarmRx(TDTClient& client) {
  LogDebug(client.sID + QStringLiteral(": alarm"));
  TCfg& cfg = link_.Cfg();
  if (link_.Runstat().bMinimised && cfg.SysTray() && cfg.Notify())
    link_.Ui().ShowBalloon(QStringLiteral("Quietmark Alarm"),
                           QStringLiteral("Sound level too high - ") + client.sName);
  AddAlarm(client);
  if (alert_ && cfg.AlertByEmail() && !cfg.AlertEmails().isEmpty())
    alert_->SendAlert(QStringLiteral("Sound level too high - ") + client.sName +
                      QStringLiteral(" / ") + client.sID);
  return true;
}

void TAlarms::timerAlarmsTimer() {
  TClientList& clients = link_.Clients();
  TClientListHold hold(clients);
  // One reading of the local clock for all: each costs a look at the time zone file.
  const QDateTime since = AlarmCountSince();
  for (int i = 0; i < clients.Count(); ++i)
    if (TDTClient* client = clients.GetClient(i)) UpdateAlarmDisplay(*client, since);
}
