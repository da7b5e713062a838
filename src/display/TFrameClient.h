#pragma once

#include "core/IMonitorWindow.h"
#include "core/TCnx.h"
#include "display/FrameGeometry.h"
#include "live/LevelChart.h"

#include <QColor>
#include <QEvent>
#include <QFrame>
#include <QPoint>
#include <QTimer>

class ISupervisorUi;
class QLabel;
class QMenu;
class QAction;
class QToolButton;
class TCfg;
class TLedBar;
class TStorageQueue;
class LevelChartView;
class LeqReadout;

// The window of one connected monitor: a frame inside the main area that the user drags by its
// title, sizes by its corner grip and switches between compact and normal. Its place and size
// are kept relative to the main area and stored in the monitor's term.cfg.
class TFrameClient : public QFrame, public IMonitorWindow {
  Q_OBJECT
 public:
  // panelMain: the main area, the window's parent. ui: the main window, told of selections.
  TFrameClient(QWidget* panelMain, TCfg& cfg, ISupervisorUi& ui);
  ~TFrameClient() override;

  void Init();
  void Connect(const TCtx& ctx, const QString& sType, const QString& sID, const QString& sName,
               const QString& sDeviceUID, const QString& sModules);
  // The connection has gone: no more calls to the main window, no more stores.
  void Detach();

  // IMonitorWindow
  void SetTitle(const QString& sTitle) override;
  void SignalStrength(int nSignal) override;
  void Status(const QString& text) override;
  void SetDownloading(bool bDownloading) override;
  void LedLevel(double flLevel, const TLedRange& leds) override;
  void Leq1s(double flLeq, const TLedRange& leds) override;
  void UpdateLeqBuf(const QString& sCs) override;
  void SetAlarmCount(int nAlarms) override;
  void NewAlarm() override;
  void ShowPanels() override;
  void Reposition() override;

  void ClearPlotBuf();
  void FrameActivated(bool bActivated);
  // Shows the window's menu at a screen point.
  void BorrowMenu(int x, int y);
  void SetWinState(TWinState ws);
  TWinState GetWinState() const { return geom_.state; }
  void SetWinPos(int x, int y);
  void SetWinSize(int cx, int cy);
  void SavePos();
  // The storage threads that take the window's term.cfg writes; without them it writes at once.
  void SetStorage(TStorageQueue* storage) { storage_ = storage; }
  // Paints only while some of it lies inside the main area: a fleet of windows mostly placed
  // beyond its edge would otherwise cost the interface thread a sibling walk per update.
  void FollowSight();

  bool Selected() const { return bSelected; }
  const TCtx& Ctx() const { return ctx_; }
  const QString& ID() const { return sID; }
  QString TitleCaption() const;
  const qmgeom::RelGeometry& RelGeometry() const { return geom_; }
  int AlarmCountShown() const { return nAlarmCount; }

  // Controls, for the main window and tests.
  QLabel* panelTitle() const { return panelTitle_; }
  QWidget* panelLeds() const { return panelLeds_; }
  QWidget* panelHistory() const { return panelHistory_; }
  QWidget* panelStatus() const { return panelStatus_; }
  QLabel* lblAlmCount() const { return lblAlmCount_; }
  QLabel* lblStatus() const { return lblStatus_; }
  QLabel* shapeStatus() const { return shapeStatus_; }
  QLabel* lblChartPeriod() const { return lblChartPeriod_; }
  QLabel* imageSize() const { return imageSize_; }
  QToolButton* btnWinState() const { return btnWinState_; }
  QMenu* popupClient() const { return popupClient_; }
  QMenu* menuInfo() const { return menuInfo_; }
  QAction* menuitemType() const { return menuitemType_; }
  QAction* menuitemID() const { return menuitemID_; }
  QAction* menuitemDeviceID() const { return menuitemDeviceID_; }
  QAction* menuitemIP() const { return menuitemIP_; }
  QAction* menuitemSignal() const { return menuitemSignal_; }
  QAction* menuitemDownloading() const { return menuitemDownloading_; }
  QAction* menuitemCfg() const { return menuitemCfg_; }
  TLedBar* ledbar() const { return ledbar_; }
  LeqReadout* panelLeq() const { return panelLeq_; }
  LevelChartView* chartLeq1s() const { return chartLeq1s_; }
  const LevelChart& Plot() const { return plot_; }
  QTimer& timerAlarmFlash() { return timerAlarmFlash_; }
  QTimer& timerAlarm() { return timerAlarm_; }
  bool TitleRed() const { return titleRed_; }
  QColor TitleColour() const { return titleColour_; }

  // Counts the windows opened without a stored place since the program started.
  static int CascadeCounter();

 signals:
  // "Settings..." was chosen for this monitor.
  void settingsRequested(const TCtx& ctx, const QString& sID, const QString& sName);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void AddModules(const QString& sModules);
  void LayoutChildren();
  void SetTitleRed(bool red);
  void PressSelects(const QMouseEvent* event);
  void btnWinStateClick();
  void BeginDrag(const QPoint& p);
  void TitleMouse(QEvent::Type type, const QPoint& p);
  void GripMouse(QEvent::Type type, const QPoint& p);
  QSize PanelSize() const;

  TCfg& cfg_;
  ISupervisorUi& ui_;
  TStorageQueue* storage_ = nullptr;

  qmgeom::RelGeometry geom_;
  bool bMoving = false;
  bool bSizing = false;
  QPoint orgTopLeft_;
  QSize orgSize_;
  QPoint ptOrg_;
  int nAlarmCount = 0;
  bool bSelected = false;
  bool bConnected = false;
  bool titleRed_ = false;
  bool titleShown_ = false;
  QColor titleColour_;
  bool titleBold_ = false;
  TCtx ctx_;
  QString sID;
  QString sName;
  QString sDeviceUID;
  int ledsHeight_ = qmgeom::kLedsHeight;
  LevelChart plot_;
  quint64 lastPressStamp_ = 0;  // one press selects once, however far it travels up

  QFrame* panelWin_ = nullptr;
  QLabel* panelTitle_ = nullptr;
  QToolButton* btnMenu_ = nullptr;
  QWidget* panelWinBtns_ = nullptr;
  QToolButton* btnWinState_ = nullptr;
  QLabel* lblAlmCount_ = nullptr;
  QWidget* panelLeds_ = nullptr;
  TLedBar* ledbar_ = nullptr;
  QWidget* panelHistory_ = nullptr;
  LeqReadout* panelLeq_ = nullptr;
  LevelChartView* chartLeq1s_ = nullptr;
  QWidget* panelStatus_ = nullptr;
  QLabel* shapeStatus_ = nullptr;
  QLabel* lblStatus_ = nullptr;
  QLabel* lblChartPeriod_ = nullptr;
  QLabel* imageSize_ = nullptr;
  QMenu* popupClient_ = nullptr;
  QMenu* menuInfo_ = nullptr;
  QAction* menuitemType_ = nullptr;
  QAction* menuitemID_ = nullptr;
  QAction* menuitemDeviceID_ = nullptr;
  QAction* menuitemIP_ = nullptr;
  QAction* menuitemSignal_ = nullptr;
  QAction* menuitemDownloading_ = nullptr;
  QAction* menuitemCfg_ = nullptr;
  QTimer timerAlarmFlash_;
  QTimer timerAlarm_;
};
