#pragma once

#include "core/ISupervisorUi.h"
#include "display/ClientTable.h"
#include "display/FrameGeometry.h"
#include "supervisor/TSupervisor.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QSystemTrayIcon;
class QTableWidget;
class QToolButton;
class TFrameClient;
class TformLog;

// The main window: the desk the monitor windows lie on, with toolbar, monitor table and status
// bar. The work itself is done by the supervisor core; this class only shows it.
class TformMain : public QMainWindow, public ISupervisorUi {
  Q_OBJECT
 public:
  explicit TformMain(TSupervisor::Options options);
  ~TformMain() override;

  TSupervisor& Supervisor() { return *sup_; }
  TformLog* FormLog() const { return formLog_; }

  // ISupervisorUi
  IMonitorWindow* CreateMonitorWindow(TDTClient* client) override;
  void FreeMonitorWindow(IMonitorWindow* frame) override;
  void UpdateClientTable(bool bForce) override;
  void ClientSelected(const TCtx& ctx) override;
  void ShowOnlineStatus(bool bOnline, const QString& address) override;
  void ShowBalloon(const QString& title, const QString& text) override;
  void ShowError(const QString& text) override;
  void RemoteSettingsReply(const TCtx& ctx, const QString& sType, const QString& sID,
                           const QStringList& sl) override;
  void RemoteSettingsSent(const TCtx& ctx, bool bOK) override;
  void ShowStorageState(const QString& text) override;

  void LoadBackground();
  // The switches as the settings hold them, then applied to every monitor.
  void ShowLiveState();
  void ShowHistoryState();
  void RepositionAll();
  void SetMinimised(bool bMinimise);

  // System menu: the preferences, with the port change applied after OK.
  void menuCfgClick();

  // Window menu.
  void menuCompactClick();
  void menuExpandAllClick();
  void menuMatchSizeClick();
  void AlignCompactWindows();
  void TileWindows();

  // Monitor table handlers; row is the grid's data row (0 = first monitor).
  void gridClientsFixedCellClick(int col);
  void gridClientsMouseUp(Qt::MouseButton button, int row, const QPoint& globalPos);
  void menuDMDeleteClick();
  void menuClientsClick();
  void btnReporterClick();
  void panelLogoClick();
  void trayiconClick();
  void trayiconBalloonClick();

  // Period list entries in minutes, by position.
  static constexpr int kPeriods[6] = {1, 5, 10, 15, 30, 60};
  static int PeriodIndex(int minutes);
  static constexpr const char* kVendorUrl = "https://www.brackenhall.example/";

  // Monitor windows in order of creation.
  const std::vector<TFrameClient*>& Frames() const { return frames_; }
  const TClientTable& ClientTable() const { return table_; }

  // Seams: the delete confirmation (true for Yes), the URL opener, the desktop's tray.
  std::function<bool(const QString& text)> confirmDelete;
  std::function<bool(const QString& url)> openUrl;
  std::function<bool()> trayAvailable;

  QWidget* panelBtns() const { return panelBtns_; }
  QWidget* panelMain() const { return panelMain_; }
  QWidget* panelClients() const { return panelClients_; }
  QComboBox* comboPeriod() const { return comboPeriod_; }
  QToolButton* btnLive() const { return btnLive_; }
  QToolButton* btnHistory() const { return btnHistory_; }
  QAction* menuBHLog() const { return menuBHLog_; }
  QMenu* menuHelp() const { return menuHelp_; }
  QLabel* lblOnlineStatus() const { return lblOnlineStatus_; }
  QLabel* panelStatCnx() const { return panelStatCnx_; }
  QLabel* panelLogo() const { return panelLogo_; }
  QTableWidget* gridClients() const { return gridClients_; }
  QMenu* popupDeadMonitor() const { return popupDeadMonitor_; }
  QAction* menuDMType() const { return menuDMType_; }
  QAction* menuDMID() const { return menuDMID_; }
  QSystemTrayIcon* trayicon() const { return trayicon_; }
  QLabel* imgBackground() const { return imgBackground_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildMenus();
  void BuildToolbar();
  void BuildStatusBar();
  void BuildPanels();
  void BuildTray();
  void FormShow();
  void FormHide();
  void FormDestroy();
  void menuToolbarClick();
  void btnLiveClick();
  void btnHistoryClick();
  void comboPeriodChange(int index);
  void ShowLiveSwitch() override;
  void ShowHistorySwitch() override;
  void ShowClientTable();
  void SetMinimisedFrom(bool bMinimise, Qt::WindowStates before);
  void ShowMainWindow();
  // "Settings..." of a monitor window: the remote settings dialog for that monitor.
  void menuitemCfgClick(const TCtx& ctx, const QString& sID, const QString& sName);

  std::unique_ptr<TSupervisor> sup_;
  TformLog* formLog_ = nullptr;
  bool shown_ = false;
  bool started_ = false;  // the monitor list exists
  bool destroyed_ = false;
  std::vector<TFrameClient*> frames_;
  int frameCounter_ = 0;
  TClientTable table_;
  int deadMenuIndex_ = -1;
  qint64 reporterPid_ = 0;

  QWidget* panelBtns_ = nullptr;
  QWidget* panelMain_ = nullptr;
  QWidget* panelClients_ = nullptr;
  QLabel* imgBackground_ = nullptr;
  QToolButton* btnLive_ = nullptr;
  QToolButton* btnHistory_ = nullptr;
  QComboBox* comboPeriod_ = nullptr;
  QToolButton* btnReporter_ = nullptr;
  QTableWidget* gridClients_ = nullptr;
  QLabel* lblOnlineStatus_ = nullptr;
  QLabel* shapeOnlineLED_ = nullptr;
  QLabel* panelStatCnx_ = nullptr;
  QLabel* panelStatStorage_ = nullptr;  // made when first needed
  QLabel* panelLogo_ = nullptr;
  QAction* menuToolbar_ = nullptr;
  QAction* menuClients_ = nullptr;
  QAction* menuLive_ = nullptr;
  QAction* menuHistory_ = nullptr;
  QAction* menuReporter_ = nullptr;
  QAction* menuBHLog_ = nullptr;
  QMenu* menuHelp_ = nullptr;
  QMenu* popupDeadMonitor_ = nullptr;
  QAction* menuDMType_ = nullptr;
  QAction* menuDMID_ = nullptr;
  QSystemTrayIcon* trayicon_ = nullptr;
};
