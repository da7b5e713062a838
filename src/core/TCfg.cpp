#include "core/TCfg.h"

#include "platform/AppPaths.h"
#include "platform/Autostart.h"

#include <QDir>

namespace {
const char* const kApp = "app";
const char* const kWindow = "window";
const char* const kNetwork = "network";
const char* const kAlarms = "alarms";
const char* const kAlerts = "alerts";
const char* const kChart = "chart";
const char* const kClock = "clock";
const char* const kAutostartName = "Quietmark-SV";
}  // namespace

TCfg::Env TCfg::SystemEnv(qmplatform::IAutostart* autostart) {
  Env env;
  env.appDataFolder = qmplatform::AppDataFolder();
  env.allUsersDataFolder = qmplatform::AllUsersDataFolder();
  env.programFolder = qmplatform::ProgramFolder();
  env.executablePath = qmplatform::ExecutablePath();
  env.autostart = autostart;
  return env;
}

TCfg::TCfg(Env env)
    : env_(std::move(env)), ini_(env_.appDataFolder + QStringLiteral("settings.ini")) {
  // The file holds the SMTP password.
  ini_.SetOwnerOnly(true);
  // Without the application-data folder there is no file: fields keep their zero values.
  if (!Writable()) return;
  sDataPath = ini_.ReadString(kApp, "datapath", QString());
  xWin = ini_.ReadInteger(kWindow, "x", -1);
  yWin = ini_.ReadInteger(kWindow, "y", -1);
  cxWin = ini_.ReadInteger(kWindow, "cx", 800);
  cyWin = ini_.ReadInteger(kWindow, "cy", 600);
  nState = ini_.ReadInteger(kWindow, "state", 0);
  bSysTray = ini_.ReadBool(kWindow, "systray", false);
  bNotify = ini_.ReadBool(kWindow, "notify", false);
  bStartWithWin = ini_.ReadBool(kWindow, "autostart", false);
  bToolbar = ini_.ReadBool(kWindow, "toolbar", true);
  bClientList = ini_.ReadBool(kWindow, "clientlist", true);
  nPort = ini_.ReadInteger(kNetwork, "port", 53941);
  bRTLive = ini_.ReadBool(kNetwork, "rtlive", true);
  bHistory = ini_.ReadBool(kNetwork, "history", true);
  nRepPeriod = ini_.ReadInteger(kAlarms, "repperiod", 15);
  sSortBy = ini_.ReadString(kAlarms, "sortby", QStringLiteral("alarm"));
  sReporterProg =
      ini_.ReadString(kApp, "reporter", env_.programFolder + QStringLiteral("quietmarkrp"));
  bAlertByEmail = ini_.ReadBool(kAlerts, "byemail", false);
  sAlertEmails = ini_.ReadString(kAlerts, "email", QString());
  sAlertFrom = ini_.ReadString(kAlerts, "from", QString());
  sSmtpHost = ini_.ReadString(kAlerts, "smtphost", QString());
  nSmtpPort = ini_.ReadInteger(kAlerts, "smtpport", 25);
  sSmtpUser = ini_.ReadString(kAlerts, "smtpuser", QString());
  sSmtpPwd = ini_.ReadString(kAlerts, "smtppwd", QString());
  bSmtpSSL = ini_.ReadBool(kAlerts, "smtpssl", false);
  nAlertRate = ini_.ReadInteger(kAlerts, "rate", 10);
  const int scale = ini_.ReadInteger(kChart, "yscale", 0);
  yscale = scale >= 2 ? yasFixed : scale == 1 ? yasAuto : yasRemote;
  nYFixedMin = ini_.ReadInteger(kChart, "ymin", 30);
  nYFixedMax = ini_.ReadInteger(kChart, "ymax", 80);
  if (nYFixedMin < 10 || nYFixedMax > 140 || nYFixedMin > nYFixedMax - 10) {
    nYFixedMin = 30;
    nYFixedMax = 80;
  }
  bClockSync = ini_.ReadBool(kClock, "sync", false);
}

void TCfg::WriteInt(const char* section, const char* key, int value) {
  if (Writable()) ini_.WriteInteger(section, key, value);
}

void TCfg::WriteStr(const char* section, const char* key, const QString& value) {
  if (Writable()) ini_.WriteString(section, key, value);
}

QString TCfg::DataPath() {
  if (!sDataPath.isEmpty() && !sDataPath.endsWith(QLatin1Char('/'))) {
    SetDataPath(sDataPath + QLatin1Char('/'));
  } else if (sDataPath.isEmpty() && !env_.allUsersDataFolder.isEmpty()) {
    SetDataPath(env_.allUsersDataFolder + QStringLiteral("Brackenhall/Quietmark-SV/data/"));
  }
  return sDataPath;
}

void TCfg::SetDataPath(const QString& value) {
  sDataPath = value;
  WriteStr(kApp, "datapath", value);
  const QString path = DataPath();
  if (path.isEmpty() || QDir(path).exists()) return;
  if (!QDir().mkpath(path) && env_.showError)
    env_.showError(QStringLiteral("Failed to create data path"));
}

void TCfg::SetX(int v) { WriteInt(kWindow, "x", xWin = v); }
void TCfg::SetY(int v) { WriteInt(kWindow, "y", yWin = v); }
void TCfg::SetCx(int v) { WriteInt(kWindow, "cx", cxWin = v); }
void TCfg::SetCy(int v) { WriteInt(kWindow, "cy", cyWin = v); }
void TCfg::SetWinState(int v) { WriteInt(kWindow, "state", nState = v); }
void TCfg::SetSysTray(bool v) { WriteInt(kWindow, "systray", bSysTray = v); }
void TCfg::SetNotify(bool v) { WriteInt(kWindow, "notify", bNotify = v); }

void TCfg::SetStartWithWin(bool v) {
  WriteInt(kWindow, "autostart", bStartWithWin = v);
  if (!env_.autostart) return;
  if (v)
    env_.autostart->Set(kAutostartName, env_.executablePath);
  else
    env_.autostart->Remove(kAutostartName);
}

void TCfg::SetToolbar(bool v) { WriteInt(kWindow, "toolbar", bToolbar = v); }
void TCfg::SetClientList(bool v) { WriteInt(kWindow, "clientlist", bClientList = v); }
void TCfg::SetPort(int v) { WriteInt(kNetwork, "port", nPort = v); }
void TCfg::SetRTLive(bool v) { WriteInt(kNetwork, "rtlive", bRTLive = v); }
void TCfg::SetHistory(bool v) { WriteInt(kNetwork, "history", bHistory = v); }
void TCfg::SetReportPeriod(int v) { WriteInt(kAlarms, "repperiod", nRepPeriod = v); }
void TCfg::SetSortBy(const QString& v) { WriteStr(kAlarms, "sortby", sSortBy = v); }
void TCfg::SetAlertByEmail(bool v) { WriteInt(kAlerts, "byemail", bAlertByEmail = v); }
void TCfg::SetAlertEmails(const QString& v) { WriteStr(kAlerts, "email", sAlertEmails = v); }
void TCfg::SetAlertFrom(const QString& v) { WriteStr(kAlerts, "from", sAlertFrom = v); }
void TCfg::SetSmtpHost(const QString& v) { WriteStr(kAlerts, "smtphost", sSmtpHost = v); }
void TCfg::SetSmtpPort(int v) { WriteInt(kAlerts, "smtpport", nSmtpPort = v); }
void TCfg::SetSmtpUser(const QString& v) { WriteStr(kAlerts, "smtpuser", sSmtpUser = v); }
void TCfg::SetSmtpPwd(const QString& v) { WriteStr(kAlerts, "smtppwd", sSmtpPwd = v); }
void TCfg::SetSmtpSSL(bool v) { WriteInt(kAlerts, "smtpssl", bSmtpSSL = v); }
void TCfg::SetAlertRate(int v) { WriteInt(kAlerts, "rate", nAlertRate = v); }
void TCfg::SetYAxisScale(TYAxisScale v) {
  WriteInt(kChart, "yscale", static_cast<int>(yscale = v));
}
void TCfg::SetYAxisMin(int v) { WriteInt(kChart, "ymin", nYFixedMin = v); }
void TCfg::SetYAxisMax(int v) { WriteInt(kChart, "ymax", nYFixedMax = v); }
void TCfg::SetClockSync(bool v) { WriteInt(kClock, "sync", bClockSync = v); }
