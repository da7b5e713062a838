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

// Every key of settings.ini with its default; the reporter's default depends on the program
// folder and is given where it is read.
namespace key {
const TCfgKey<const char*> datapath{kApp, "datapath", ""};
const TCfgKey<int> x{kWindow, "x", -1};
const TCfgKey<int> y{kWindow, "y", -1};
const TCfgKey<int> cx{kWindow, "cx", 800};
const TCfgKey<int> cy{kWindow, "cy", 600};
const TCfgKey<int> state{kWindow, "state", 0};
const TCfgKey<bool> systray{kWindow, "systray", false};
const TCfgKey<bool> notify{kWindow, "notify", false};
const TCfgKey<bool> autostart{kWindow, "autostart", false};
const TCfgKey<bool> toolbar{kWindow, "toolbar", true};
const TCfgKey<bool> clientlist{kWindow, "clientlist", true};
const TCfgKey<int> port{kNetwork, "port", 53941};
const TCfgKey<bool> rtlive{kNetwork, "rtlive", true};
const TCfgKey<bool> history{kNetwork, "history", true};
const TCfgKey<int> repperiod{kAlarms, "repperiod", 15};
const TCfgKey<const char*> sortby{kAlarms, "sortby", "alarm"};
const TCfgKey<const char*> reporter{kApp, "reporter", ""};
const TCfgKey<bool> byemail{kAlerts, "byemail", false};
const TCfgKey<const char*> email{kAlerts, "email", ""};
const TCfgKey<const char*> from{kAlerts, "from", ""};
const TCfgKey<const char*> smtphost{kAlerts, "smtphost", ""};
const TCfgKey<int> smtpport{kAlerts, "smtpport", 25};
const TCfgKey<const char*> smtpuser{kAlerts, "smtpuser", ""};
const TCfgKey<const char*> smtppwd{kAlerts, "smtppwd", ""};
const TCfgKey<bool> smtpssl{kAlerts, "smtpssl", false};
const TCfgKey<int> rate{kAlerts, "rate", 10};
const TCfgKey<int> yscale{kChart, "yscale", 0};
const TCfgKey<int> ymin{kChart, "ymin", 30};
const TCfgKey<int> ymax{kChart, "ymax", 80};
const TCfgKey<bool> sync{kClock, "sync", false};
}  // namespace key
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
  sDataPath = Read(key::datapath);
  xWin = Read(key::x);
  yWin = Read(key::y);
  cxWin = Read(key::cx);
  cyWin = Read(key::cy);
  nState = Read(key::state);
  bSysTray = Read(key::systray);
  bNotify = Read(key::notify);
  bStartWithWin = Read(key::autostart);
  bToolbar = Read(key::toolbar);
  bClientList = Read(key::clientlist);
  nPort = Read(key::port);
  bRTLive = Read(key::rtlive);
  bHistory = Read(key::history);
  nRepPeriod = Read(key::repperiod);
  sSortBy = Read(key::sortby);
  sReporterProg = Read(key::reporter, env_.programFolder + QStringLiteral("quietmarkrp"));
  bAlertByEmail = Read(key::byemail);
  sAlertEmails = Read(key::email);
  sAlertFrom = Read(key::from);
  sSmtpHost = Read(key::smtphost);
  nSmtpPort = Read(key::smtpport);
  sSmtpUser = Read(key::smtpuser);
  sSmtpPwd = Read(key::smtppwd);
  bSmtpSSL = Read(key::smtpssl);
  nAlertRate = Read(key::rate);
  const int scale = Read(key::yscale);
  yscale = scale >= 2 ? yasFixed : scale == 1 ? yasAuto : yasRemote;
  nYFixedMin = Read(key::ymin);
  nYFixedMax = Read(key::ymax);
  if (nYFixedMin < 10 || nYFixedMax > 140 || nYFixedMin > nYFixedMax - 10) {
    nYFixedMin = key::ymin.def;
    nYFixedMax = key::ymax.def;
  }
  bClockSync = Read(key::sync);
}

int TCfg::Read(const TCfgKey<int>& k) const { return ini_.ReadInteger(k.section, k.name, k.def); }
bool TCfg::Read(const TCfgKey<bool>& k) const { return ini_.ReadBool(k.section, k.name, k.def); }
QString TCfg::Read(const TCfgKey<const char*>& k) const {
  return Read(k, QString::fromLatin1(k.def));
}
QString TCfg::Read(const TCfgKey<const char*>& k, const QString& def) const {
  return ini_.ReadString(k.section, k.name, def);
}

void TCfg::Write(const TCfgKey<int>& k, int value) {
  if (Writable()) ini_.WriteInteger(k.section, k.name, value);
}
void TCfg::Write(const TCfgKey<bool>& k, bool value) { Write({k.section, k.name, 0}, int(value)); }
void TCfg::Write(const TCfgKey<const char*>& k, const QString& value) {
  if (Writable()) ini_.WriteString(k.section, k.name, value);
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
  Write(key::datapath, value);
  const QString path = DataPath();
  if (path.isEmpty() || QDir(path).exists()) return;
  if (!QDir().mkpath(path) && env_.showError)
    env_.showError(QStringLiteral("Failed to create data path"));
}

void TCfg::SetX(int v) { Write(key::x, xWin = v); }
void TCfg::SetY(int v) { Write(key::y, yWin = v); }
void TCfg::SetCx(int v) { Write(key::cx, cxWin = v); }
void TCfg::SetCy(int v) { Write(key::cy, cyWin = v); }
void TCfg::SetWinState(int v) { Write(key::state, nState = v); }
void TCfg::SetSysTray(bool v) { Write(key::systray, bSysTray = v); }
void TCfg::SetNotify(bool v) { Write(key::notify, bNotify = v); }

void TCfg::SetStartWithWin(bool v) {
  Write(key::autostart, bStartWithWin = v);
  if (!env_.autostart) return;
  if (v)
    env_.autostart->Set(kAutostartName, env_.executablePath);
  else
    env_.autostart->Remove(kAutostartName);
}

void TCfg::SetToolbar(bool v) { Write(key::toolbar, bToolbar = v); }
void TCfg::SetClientList(bool v) { Write(key::clientlist, bClientList = v); }
void TCfg::SetPort(int v) { Write(key::port, nPort = v); }
void TCfg::SetRTLive(bool v) { Write(key::rtlive, bRTLive = v); }
void TCfg::SetHistory(bool v) { Write(key::history, bHistory = v); }
void TCfg::SetReportPeriod(int v) { Write(key::repperiod, nRepPeriod = v); }
void TCfg::SetSortBy(const QString& v) { Write(key::sortby, sSortBy = v); }
void TCfg::SetAlertByEmail(bool v) { Write(key::byemail, bAlertByEmail = v); }
void TCfg::SetAlertEmails(const QString& v) { Write(key::email, sAlertEmails = v); }
void TCfg::SetAlertFrom(const QString& v) { Write(key::from, sAlertFrom = v); }
void TCfg::SetSmtpHost(const QString& v) { Write(key::smtphost, sSmtpHost = v); }
void TCfg::SetSmtpPort(int v) { Write(key::smtpport, nSmtpPort = v); }
void TCfg::SetSmtpUser(const QString& v) { Write(key::smtpuser, sSmtpUser = v); }
void TCfg::SetSmtpPwd(const QString& v) { Write(key::smtppwd, sSmtpPwd = v); }
void TCfg::SetSmtpSSL(bool v) { Write(key::smtpssl, bSmtpSSL = v); }
void TCfg::SetAlertRate(int v) { Write(key::rate, nAlertRate = v); }
void TCfg::SetYAxisScale(TYAxisScale v) { Write(key::yscale, static_cast<int>(yscale = v)); }
void TCfg::SetYAxisMin(int v) { Write(key::ymin, nYFixedMin = v); }
void TCfg::SetYAxisMax(int v) { Write(key::ymax, nYFixedMax = v); }
void TCfg::SetClockSync(bool v) { Write(key::sync, bClockSync = v); }
