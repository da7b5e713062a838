#pragma once

#include "core/IniFile.h"

#include <QString>

#include <functional>

namespace qmplatform {
class IAutostart;
}

enum TYAxisScale { yasRemote = 0, yasAuto = 1, yasFixed = 2 };

// A key of settings.ini with its section and default.
template <class T>
struct TCfgKey {
  const char* section;
  const char* name;
  T def;
};

// The program settings, mirrored key by key in settings.ini: read whole at creation, every setter
// writes its key at once.
class TCfg {
 public:
  struct Env {
    QString appDataFolder;       // ".../Brackenhall/Quietmark-SV/" or empty when unavailable
    QString allUsersDataFolder;  // the system folder the default data path is built on
    QString programFolder;       // with trailing separator
    QString executablePath;
    qmplatform::IAutostart* autostart = nullptr;
    std::function<void(const QString&)> showError;  // modal message; may be empty
  };

  // The real environment of this process.
  static Env SystemEnv(qmplatform::IAutostart* autostart);

  explicit TCfg(Env env);

  QString SettingsPath() const { return ini_.Path(); }

  QString DataPath();
  void SetDataPath(const QString& value);
  int x() const { return xWin; }
  void SetX(int v);
  int y() const { return yWin; }
  void SetY(int v);
  int cx() const { return cxWin; }
  void SetCx(int v);
  int cy() const { return cyWin; }
  void SetCy(int v);
  int WinState() const { return nState; }
  void SetWinState(int v);
  bool SysTray() const { return bSysTray; }
  void SetSysTray(bool v);
  bool Notify() const { return bNotify; }
  void SetNotify(bool v);
  bool StartWithWin() const { return bStartWithWin; }
  void SetStartWithWin(bool v);
  bool Toolbar() const { return bToolbar; }
  void SetToolbar(bool v);
  bool ClientList() const { return bClientList; }
  void SetClientList(bool v);
  int Port() const { return nPort; }
  void SetPort(int v);
  bool RTLive() const { return bRTLive; }
  void SetRTLive(bool v);
  bool History() const { return bHistory; }
  void SetHistory(bool v);
  int ReportPeriod() const { return nRepPeriod; }
  void SetReportPeriod(int v);
  QString SortBy() const { return sSortBy; }
  void SetSortBy(const QString& v);
  QString ReporterProg() const { return sReporterProg; }
  bool AlertByEmail() const { return bAlertByEmail; }
  void SetAlertByEmail(bool v);
  QString AlertEmails() const { return sAlertEmails; }
  void SetAlertEmails(const QString& v);
  QString AlertFrom() const { return sAlertFrom; }
  void SetAlertFrom(const QString& v);
  QString SmtpHost() const { return sSmtpHost; }
  void SetSmtpHost(const QString& v);
  int SmtpPort() const { return nSmtpPort; }
  void SetSmtpPort(int v);
  QString SmtpUser() const { return sSmtpUser; }
  void SetSmtpUser(const QString& v);
  QString SmtpPwd() const { return sSmtpPwd; }
  void SetSmtpPwd(const QString& v);
  bool SmtpSSL() const { return bSmtpSSL; }
  void SetSmtpSSL(bool v);
  int AlertRate() const { return nAlertRate; }
  void SetAlertRate(int v);
  TYAxisScale YAxisScale() const { return yscale; }
  void SetYAxisScale(TYAxisScale v);
  int YAxisMin() const { return nYFixedMin; }
  void SetYAxisMin(int v);
  int YAxisMax() const { return nYFixedMax; }
  void SetYAxisMax(int v);
  bool ClockSync() const { return bClockSync; }
  void SetClockSync(bool v);

 private:
  bool Writable() const { return !env_.appDataFolder.isEmpty(); }
  int Read(const TCfgKey<int>& k) const;
  bool Read(const TCfgKey<bool>& k) const;
  QString Read(const TCfgKey<const char*>& k) const;
  QString Read(const TCfgKey<const char*>& k, const QString& def) const;
  // Booleans are stored as 0 and 1.
  void Write(const TCfgKey<int>& k, int value);
  void Write(const TCfgKey<bool>& k, bool value);
  void Write(const TCfgKey<const char*>& k, const QString& value);

  Env env_;
  IniFile ini_;

  QString sDataPath;
  int xWin = 0;
  int yWin = 0;
  int cxWin = 0;
  int cyWin = 0;
  int nState = 0;
  bool bSysTray = false;
  bool bNotify = false;
  bool bStartWithWin = false;
  bool bToolbar = false;
  bool bClientList = false;
  int nPort = 0;
  bool bRTLive = false;
  bool bHistory = false;
  int nRepPeriod = 0;
  QString sSortBy;
  QString sReporterProg;
  bool bAlertByEmail = false;
  QString sAlertEmails;
  QString sAlertFrom;
  QString sSmtpHost;
  int nSmtpPort = 0;
  QString sSmtpUser;
  QString sSmtpPwd;
  bool bSmtpSSL = false;
  int nAlertRate = 0;
  TYAxisScale yscale = yasRemote;
  int nYFixedMin = 0;
  int nYFixedMax = 0;
  bool bClockSync = false;
};
