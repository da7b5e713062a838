#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QtGlobal>

class IMonitorLink;
class TDTClient;
class TQmAlert;

// Alarm times of one monitor record. The period counted is the chart period of the settings
// (15 minutes while no settings exist).
void SetAlarms(TDTClient& client, const QString& sAlarms);
void AddAlarm(TDTClient& client);
int AlarmCount(const TDTClient& client);
void UpdateAlarmDisplay(TDTClient& client);
void UpdateAlarmDisplay(TDTClient& client, const QDateTime& since);
// True when the count differs from the one seen by the previous call.
bool AlarmCountChanged(TDTClient& client);
// The start of the counted period; one reading of the clock serves a whole table refresh.
QDateTime AlarmCountSince();
int AlarmCount(const TDTClient& client, const QDateTime& since);
bool AlarmCountChanged(TDTClient& client, const QDateTime& since);

// Working-set size of this process in bytes; -1 when it cannot be read.
qint64 ProcessMemory();
// The log window's caption with the memory in use.
QString LogWindowCaption();

// Handles "alarms" and "alarm" lines and re-counts every monitor once a second. The link must
// outlive it. The alert object may be null (no e-mails).
class TAlarms {
 public:
  TAlarms(IMonitorLink& link, TQmAlert* alert);
  TAlarms(const TAlarms&) = delete;
  TAlarms& operator=(const TAlarms&) = delete;

  bool AlarmsRx(TDTClient& client, const QStringList& fields);
  bool AlarmRx(TDTClient& client);
  void timerAlarmsTimer();

 private:
  IMonitorLink& link_;
  TQmAlert* alert_;
};
