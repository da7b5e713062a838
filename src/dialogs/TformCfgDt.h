#pragma once

#include "core/TCnx.h"
#include "dialogs/RemoteSettings.h"

#include <QDialog>
#include <QStringList>
#include <QTimer>

#include <array>
#include <functional>

class IRemoteMonitor;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

// The remote settings of one connected monitor: read with "getsettings", changed, written back
// with one "setsettings"; reboot or shutdown. Modal, at most one at a time, reachable through
// Current() while open. The decisions live in qmcfgdt::TRemoteSettings; this class shows them.
class TformCfgDt : public QDialog {
  Q_OBJECT
 public:
  TformCfgDt(QWidget* owner, IRemoteMonitor& monitor);
  ~TformCfgDt() override;

  // The one open dialog (the first made and not yet destroyed), or null.
  static TformCfgDt* Current();
  // "Settings..." of a monitor window: creates the dialog, asks the monitor for its settings and
  // shows the dialog modally; the dialog is gone when this returns. Returns the dialog's result.
  static int Open(QWidget* owner, IRemoteMonitor& monitor, const TCtx& ctx, const QString& sID,
                  const QString& sName);

  // The main window's reply handlers: hand a reply to the open dialog, if any.
  static void GetSettingsReply(const TCtx& ctx, const QString& sType, const QString& sID,
                               const QStringList& sl);
  static void SetSettingsReply(const TCtx& ctx, bool bOK);

  void GettingSettings(const TCtx& ctx);
  void ShowSettings(const TCtx& ctx, const QString& sType, const QString& sID,
                    const QStringList& sl);
  void SendComplete(bool bOK);
  int GetSensitivity() const { return model_.GetSensitivity(); }

  void timerTimeoutTimer();
  void btnOKClick();
  void btnRebootClick();

  // Message boxes; tests replace them.
  std::function<void(const QString& text)> showError;
  std::function<void(const QString& text)> showInfo;
  std::function<bool(const QString& text)> confirm;

  const qmcfgdt::TRemoteSettings& Model() const { return model_; }
  const TCtx& Ctx() const { return ctx_; }
  const QString& ID() const { return sID; }
  const QString& OrgName() const { return sOrgName; }
  bool Sending() const { return sending_; }

  // Controls, for tests.
  QLineEdit* editName() const { return editName_; }
  QWidget* panelSettings() const { return panelSettings_; }
  QTabWidget* tabs() const { return tabs_; }
  QWidget* tab(qmcfgdt::TTab t) const { return tabPages_[t]; }
  QSlider* trackbar(qmcfgdt::TBar b) const { return bars_[b]; }
  QLabel* barLabel(qmcfgdt::TBar b) const { return barLabels_[b]; }
  QCheckBox* chkNotify() const { return chkNotify_; }
  QCheckBox* chkRsm() const { return chkRsm_; }
  QTreeWidget* treeZones() const { return treeZones_; }
  QLabel* lblCurrentTz() const { return lblCurrentTz_; }
  QLabel* lblNewTz() const { return lblNewTz_; }
  QLabel* lblBitteWarten() const { return lblBitteWarten_; }
  QPushButton* btnReboot() const { return btnReboot_; }
  QPushButton* btnOK() const { return btnOK_; }
  QPushButton* btnCancel() const { return btnCancel_; }
  QTimer& timerTimeout() { return timerTimeout_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* BuildStandardTab();
  QWidget* BuildAdvancedTab();
  QWidget* BuildLevelsTab();
  QWidget* BuildTimeZoneTab();
  QWidget* BuildRemoteSupportTab();
  QSlider* MakeBar(qmcfgdt::TBar bar, QWidget* parent);
  void FillZones();
  void Waiting(const QString& status);
  // Shows the state of the settings on the controls.
  void Sync();
  void SetTab(int index);
  void NameEdited(const QString& text);
  void ZonePicked(QTreeWidgetItem* item);

  IRemoteMonitor& monitor_;
  qmcfgdt::TRemoteSettings model_;
  TCtx ctx_;
  QString sType;
  QString sID;
  QString sOrgName;
  QString typedName_;  // the name as last taken, to refuse a typed character past the limit
  bool sending_ = false;
  bool syncing_ = false;

  QWidget* panelSettings_ = nullptr;
  QLineEdit* editName_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  std::array<QWidget*, qmcfgdt::kTabCount> tabPages_{};
  std::array<QSlider*, qmcfgdt::kBarCount> bars_{};
  std::array<QLabel*, qmcfgdt::kBarCount> barLabels_{};
  QCheckBox* chkNotify_ = nullptr;
  QCheckBox* chkRsm_ = nullptr;
  QTreeWidget* treeZones_ = nullptr;
  QLabel* lblCurrentTz_ = nullptr;
  QLabel* lblNewTz_ = nullptr;
  QLabel* lblBitteWarten_ = nullptr;
  QPushButton* btnReboot_ = nullptr;
  QPushButton* btnOK_ = nullptr;
  QPushButton* btnCancel_ = nullptr;
  QTimer timerTimeout_;
};
