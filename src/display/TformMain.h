#pragma once

#include "core/ISupervisorUi.h"
#include "core/TSupervisor.h"

#include <QMainWindow>

#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QTableWidget;
class QToolButton;
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

  void LoadBackground();
  void ShowLiveState();
  void ShowHistoryState();

  // Period list entries in minutes, by position.
  static constexpr int kPeriods[6] = {1, 5, 10, 15, 30, 60};
  static int PeriodIndex(int minutes);

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
  QTableWidget* gridClients() const { return gridClients_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void BuildMenus();
  void BuildToolbar();
  void BuildStatusBar();
  void BuildPanels();
  void FormShow();
  void FormHide();
  void FormDestroy();
  void menuToolbarClick();
  void menuClientsClick();
  void btnLiveClick();
  void btnHistoryClick();
  void comboPeriodChange(int index);
  void btnReporterClick();

  std::unique_ptr<TSupervisor> sup_;
  TformLog* formLog_ = nullptr;
  bool shown_ = false;
  bool destroyed_ = false;

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
  QLabel* panelLogo_ = nullptr;
  QAction* menuToolbar_ = nullptr;
  QAction* menuClients_ = nullptr;
  QAction* menuLive_ = nullptr;
  QAction* menuHistory_ = nullptr;
  QAction* menuReporter_ = nullptr;
  QAction* menuBHLog_ = nullptr;
  QMenu* menuHelp_ = nullptr;
};
