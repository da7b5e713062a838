#include "dialogs/TformCfgDt.h"

#include "core/EventLog.h"
#include "dialogs/RemoteMonitor.h"
#include "dialogs/TimeZones.h"

#include <QCheckBox>
#include <QEvent>
#include <QFont>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace qmcfgdt;

namespace {

TformCfgDt* current = nullptr;

QLabel* WrappedText(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setWordWrap(true);
  return label;
}

}  // namespace

TformCfgDt::TformCfgDt(QWidget* owner, IRemoteMonitor& monitor)
    : QDialog(owner), monitor_(monitor) {
  if (!current) current = this;
  setObjectName(QStringLiteral("formCfgDt"));
  setWindowTitle(QStringLiteral("Remote Settings"));
  setModal(true);

  auto* root = new QVBoxLayout(this);
  lblBitteWarten_ = new QLabel(QStringLiteral("Getting current settings..."), this);
  lblBitteWarten_->setAlignment(Qt::AlignCenter);
  lblBitteWarten_->setMinimumHeight(40);
  root->addWidget(lblBitteWarten_);

  panelSettings_ = new QWidget(this);
  auto* panel = new QVBoxLayout(panelSettings_);
  panel->setContentsMargins(0, 0, 0, 0);
  auto* nameRow = new QFormLayout;
  editName_ = new QLineEdit(panelSettings_);
  connect(editName_, &QLineEdit::textEdited, this, &TformCfgDt::NameEdited);
  nameRow->addRow(QStringLiteral("Name"), editName_);
  panel->addLayout(nameRow);
  tabs_ = new QTabWidget(panelSettings_);
  tabPages_[tabStandard] = BuildStandardTab();
  tabPages_[tabAdvanced] = BuildAdvancedTab();
  tabPages_[tabLevels] = BuildLevelsTab();
  tabPages_[tabTimeZone] = BuildTimeZoneTab();
  tabPages_[tabRemoteSupport] = BuildRemoteSupportTab();
  const char* captions[kTabCount] = {"Standard", "Advanced", "Levels and Alarms", "Time Zone",
                                     "Remote Support"};
  for (int t = 0; t < kTabCount; ++t) tabs_->addTab(tabPages_[t], QString::fromLatin1(captions[t]));
  connect(tabs_, &QTabWidget::currentChanged, this, &TformCfgDt::SetTab);
  panel->addWidget(tabs_);
  root->addWidget(panelSettings_, 1);

  auto* buttons = new QHBoxLayout;
  btnReboot_ = new QPushButton(QStringLiteral("Reboot"), this);
  btnOK_ = new QPushButton(QStringLiteral("OK"), this);
  btnCancel_ = new QPushButton(QStringLiteral("Cancel"), this);
  btnOK_->setDefault(true);
  btnReboot_->setAutoDefault(false);
  btnCancel_->setAutoDefault(false);
  connect(btnReboot_, &QPushButton::clicked, this, &TformCfgDt::btnRebootClick);
  connect(btnOK_, &QPushButton::clicked, this, &TformCfgDt::btnOKClick);
  connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);
  buttons->addWidget(btnReboot_);
  buttons->addStretch(1);
  buttons->addWidget(btnOK_);
  buttons->addWidget(btnCancel_);
  root->addLayout(buttons);

  timerTimeout_.setSingleShot(true);
  timerTimeout_.setInterval(3000);
  connect(&timerTimeout_, &QTimer::timeout, this, &TformCfgDt::timerTimeoutTimer);

  showError = [this](const QString& text) { QMessageBox::critical(this, windowTitle(), text); };
  showInfo = [this](const QString& text) {
    QMessageBox::information(this, windowTitle(), text, QMessageBox::Ok);
  };
  confirm = [this](const QString& text) {
    return QMessageBox::question(this, windowTitle(), text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
  };

  // The program closing (Exit, SIGTERM) takes the dialog with it; left open, the dialog would
  // keep the program from ending.
  if (owner) owner->installEventFilter(this);

  resize(420, 460);
  Waiting(lblBitteWarten_->text());
  Sync();
}

TformCfgDt::~TformCfgDt() {
  if (current == this) current = nullptr;
}

TformCfgDt* TformCfgDt::Current() { return current; }

bool TformCfgDt::eventFilter(QObject* watched, QEvent* event) {
  if (watched == parent() && event->type() == QEvent::Close && isVisible()) reject();
  return QDialog::eventFilter(watched, event);
}

int TformCfgDt::Open(QWidget* owner, IRemoteMonitor& monitor, const TCtx& ctx, const QString& sID,
                     const QString& sName) {
  LogDebug(QStringLiteral("TFormMdiClient.menuitemCfgClick(): ") + sID);
  if (current) return QDialog::Rejected;
  // Gone when this returns by any path; the owner may also take it with it first.
  struct Closer {
    QPointer<TformCfgDt> dialog;
    ~Closer() { delete dialog.data(); }
  } closer{new TformCfgDt(owner, monitor)};
  closer.dialog->GettingSettings(ctx);
  monitor.Send(ctx, QStringLiteral("getsettings"));
  closer.dialog->setWindowTitle(QStringLiteral("Settings for ") + sName);
  return closer.dialog->exec();
}

void TformCfgDt::GetSettingsReply(const TCtx& ctx, const QString& sType, const QString& sID,
                                  const QStringList& sl) {
  if (current) current->ShowSettings(ctx, sType, sID, sl);
}

void TformCfgDt::SetSettingsReply(const TCtx& ctx, bool bOK) {
  // Only the answer to our own "setsettings": another monitor's reply, or one nobody waits
  // for, would close or fail the dialog for nothing.
  if (!current || !ctx || current->ctx_ != ctx || !current->sending_) return;
  // Later, outside the dispatcher: the completion may show a message box and close the
  // connection.
  QTimer::singleShot(0, current, [dialog = current, bOK] {
    if (dialog->sending_) dialog->SendComplete(bOK);
  });
}

void TformCfgDt::GettingSettings(const TCtx& ctx) {
  ctx_ = ctx;
  model_.name.clear();
  Waiting(QStringLiteral("Getting current settings..."));
  timerTimeout_.start();
}

void TformCfgDt::ShowSettings(const TCtx& ctx, const QString& sType, const QString& sID,
                              const QStringList& sl) {
  if (!ctx || ctx != ctx_) return;
  timerTimeout_.stop();
  this->sType = sType;
  this->sID = sID;
  sOrgName.clear();
  sending_ = false;
  if (!model_.TakeReply(sType, sl)) {
    Waiting(QStringLiteral("Error: failed to translate remote settings"));
    return;
  }
  sOrgName = model_.name;
  model_.SetPanelVisible(true);
  btnOK_->setEnabled(true);
  Sync();
  btnOK_->setFocus();
}

void TformCfgDt::SendComplete(bool bOK) {
  sending_ = false;
  if (!bOK) {
    lblBitteWarten_->setText(QStringLiteral("Failed to send new settings"));
    return;
  }
  if (model_.name != sOrgName) {
    showInfo(QStringLiteral("Reconnecting due to name change"));
    monitor_.Disconnect(ctx_);
  }
  accept();
}

void TformCfgDt::timerTimeoutTimer() {
  timerTimeout_.stop();
  lblBitteWarten_->setText(QStringLiteral("Error: Failed to get current settings"));
}

void TformCfgDt::btnOKClick() {
  if (!ValidName(model_.name)) {
    showError(QStringLiteral("Invalid \"&\" in Client Name"));
    return;
  }
  const QString line = model_.SetSettingsLine();
  if (line.isEmpty()) {
    showError(QStringLiteral("Error: failed to translate alarm settings"));
    return;
  }
  Waiting(QStringLiteral("Sending new settings..."));
  sending_ = monitor_.Send(ctx_, line);
  // A monitor that has gone gets nothing, and waiting for its answer would be for ever.
  if (!sending_) lblBitteWarten_->setText(QStringLiteral("Failed to send new settings"));
}

void TformCfgDt::btnRebootClick() {
  LogDebug(QStringLiteral("TFormCfgDt.menuitemRebootClick(): ") + sID);
  const QString command = model_.RebootCommand();
  const QString text = QStringLiteral("Send ") + command +
                       QStringLiteral(" command to Quietmark Monitor\n") + sID +
                       QStringLiteral(" / ") + sOrgName + QStringLiteral("?");
  if (!confirm(text)) return;
  LogMsg(sID + QStringLiteral(": Sending ") + command + QStringLiteral(" request"));
  monitor_.Send(ctx_, command);
  reject();
}

void TformCfgDt::Waiting(const QString& status) {
  lblBitteWarten_->setText(status);
  model_.SetPanelVisible(false);
  btnOK_->setEnabled(false);
  Sync();
}

void TformCfgDt::Sync() {
  syncing_ = true;
  for (int b = 0; b < kBarCount; ++b) {
    const QSignalBlocker block(bars_[b]);
    bars_[b]->setValue(model_.Position(TBar(b)));
    if (barLabels_[b]) barLabels_[b]->setText(model_.Label(TBar(b)));
  }
  if (editName_->text() != model_.name) editName_->setText(model_.name);
  typedName_ = model_.name;
  chkNotify_->setChecked(model_.notify);
  chkRsm_->setChecked(model_.rsm);
  lblCurrentTz_->setText(model_.sCurrentTz.isEmpty() ? QStringLiteral("Unknown")
                                                     : model_.sCurrentTz);
  lblNewTz_->setText(model_.sNewTz.isEmpty() ? QStringLiteral("No change") : model_.sNewTz);
  {
    const QSignalBlocker block(tabs_);
    for (int t = 0; t < kTabCount; ++t) tabs_->setTabVisible(t, model_.TabVisible(TTab(t)));
    tabs_->setCurrentIndex(model_.ActiveTab());
  }
  panelSettings_->setVisible(model_.PanelVisible());
  lblBitteWarten_->setVisible(!model_.PanelVisible());
  btnReboot_->setText(model_.RebootCaption());
  syncing_ = false;
}

void TformCfgDt::SetTab(int index) {
  if (syncing_ || index < 0 || index >= kTabCount) return;
  model_.SetActiveTab(TTab(index));
  Sync();
}

void TformCfgDt::NameEdited(const QString& text) {
  if (!AcceptTypedName(typedName_, text)) {
    const int cursor = editName_->cursorPosition() - int(text.size() - typedName_.size());
    editName_->setText(typedName_);
    editName_->setCursorPosition(cursor);
    return;
  }
  model_.name = typedName_ = text;
}

void TformCfgDt::ZonePicked(QTreeWidgetItem* item) {
  if (syncing_ || !item) return;
  model_.PickZone(item->data(0, Qt::UserRole).toInt());
  Sync();
}

QSlider* TformCfgDt::MakeBar(TBar bar, QWidget* parent) {
  auto* slider = new QSlider(Qt::Horizontal, parent);
  const TBarRange r = RangeOf(bar);
  slider->setRange(r.min, r.max);
  slider->setPageStep(1);
  slider->setSingleStep(1);
  slider->setTickPosition(QSlider::TicksBelow);
  slider->setValue(model_.Position(bar));
  connect(slider, &QSlider::valueChanged, this, [this, bar](int value) {
    if (syncing_) return;
    model_.SetPosition(bar, value);
    Sync();
  });
  bars_[bar] = slider;
  if (bar != barSens) barLabels_[bar] = new QLabel(parent);
  return slider;
}

QWidget* TformCfgDt::BuildStandardTab() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* group = new QGroupBox(QStringLiteral("Standard Settings"), page);
  auto* grid = new QGridLayout(group);
  grid->addWidget(MakeBar(barSens, group), 0, 0, 1, 3);
  grid->addWidget(new QLabel(QStringLiteral("Library"), group), 1, 0, Qt::AlignLeft);
  grid->addWidget(new QLabel(QStringLiteral("Average Office"), group), 1, 1, Qt::AlignHCenter);
  grid->addWidget(new QLabel(QStringLiteral("Lively Office"), group), 1, 2, Qt::AlignRight);
  layout->addWidget(group);
  chkNotify_ = new QCheckBox(QStringLiteral("Show Alarm Notifications"), page);
  connect(chkNotify_, &QCheckBox::toggled, this, [this](bool on) {
    if (!syncing_) model_.notify = on;
  });
  layout->addWidget(chkNotify_);
  layout->addStretch(1);
  return page;
}

QWidget* TformCfgDt::BuildAdvancedTab() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* group = new QGroupBox(QStringLiteral("Trigger relative to background level"), page);
  auto* grid = new QGridLayout(group);
  grid->addWidget(new QLabel(QStringLiteral("Yellow"), group), 0, 0);
  grid->addWidget(MakeBar(barTrig1, group), 0, 1);
  grid->addWidget(barLabels_[barTrig1], 0, 2);
  grid->addWidget(new QLabel(QStringLiteral("Red"), group), 1, 0);
  grid->addWidget(MakeBar(barTrig2, group), 1, 1);
  grid->addWidget(barLabels_[barTrig2], 1, 2);
  layout->addWidget(group);
  auto* alarm = new QGroupBox(QStringLiteral("Alarm if Red level exceeded for"), page);
  auto* row = new QHBoxLayout(alarm);
  row->addWidget(MakeBar(barAlarm, alarm), 1);
  row->addWidget(barLabels_[barAlarm]);
  layout->addWidget(alarm);
  layout->addStretch(1);
  return page;
}

QWidget* TformCfgDt::BuildLevelsTab() {
  auto* page = new QWidget;
  auto* grid = new QGridLayout(page);
  struct Row {
    const char* caption;
    TBar bar;
  };
  const Row rows[] = {{"Yellow", barSETrig1},
                      {"Red", barSETrig2},
                      {"Alarm if Red level exceeded for", barSEAlmTime},
                      {"Display Min", barSEMin},
                      {"Display Max", barSEMax}};
  int r = 0;
  for (const Row& row : rows) {
    grid->addWidget(new QLabel(QString::fromLatin1(row.caption), page), r, 0);
    grid->addWidget(MakeBar(row.bar, page), r, 1);
    grid->addWidget(barLabels_[row.bar], r, 2);
    ++r;
  }
  bars_[barSEAlmTime]->setTickInterval(5);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(r, 1);
  return page;
}

QWidget* TformCfgDt::BuildTimeZoneTab() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(WrappedText(
      QStringLiteral("Select a region or city that is in your time zone. This does not have to "
                     "be your exact city, it is only used for setting up the time zone and "
                     "daylight savings time."),
      page));
  auto* form = new QFormLayout;
  lblCurrentTz_ = new QLabel(QStringLiteral("Unknown"), page);
  form->addRow(QStringLiteral("Current Timezone"), lblCurrentTz_);
  layout->addLayout(form);
  treeZones_ = new QTreeWidget(page);
  treeZones_->setHeaderHidden(true);
  FillZones();
  connect(treeZones_, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* item) { ZonePicked(item); });
  layout->addWidget(treeZones_, 1);
  auto* change = new QFormLayout;
  lblNewTz_ = new QLabel(QStringLiteral("No change"), page);
  change->addRow(QStringLiteral("Change to"), lblNewTz_);
  layout->addLayout(change);
  return page;
}

QWidget* TformCfgDt::BuildRemoteSupportTab() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* title = new QLabel(QStringLiteral("Remote Support Information"), page);
  QFont bold = title->font();
  bold.setBold(true);
  title->setFont(bold);
  layout->addWidget(title);
  layout->addWidget(WrappedText(
      QStringLiteral("This gives Brackenhall access to the Quietmark module version information "
                     "and error log files, but not to measurement data."),
      page));
  layout->addWidget(WrappedText(
      QStringLiteral("The Quietmark module contacts the Brackenhall web server itself; "
                     "Brackenhall never connects to the module. The module must therefore be "
                     "allowed out to a web server on port 80."),
      page));
  chkRsm_ = new QCheckBox(QStringLiteral("Enable Remote Support"), page);
  connect(chkRsm_, &QCheckBox::toggled, this, [this](bool on) {
    if (!syncing_) model_.rsm = on;
  });
  layout->addWidget(chkRsm_);
  layout->addStretch(1);
  return page;
}

void TformCfgDt::FillZones() {
  const auto& nodes = qmzones::ZoneNodes();
  std::vector<QTreeWidgetItem*> items(nodes.size(), nullptr);
  for (int i = 0; i < int(nodes.size()); ++i) {
    const qmzones::ZoneNode& node = nodes[i];
    QTreeWidgetItem* item =
        node.parent < 0 ? new QTreeWidgetItem(treeZones_) : new QTreeWidgetItem(items[node.parent]);
    item->setText(0, node.text);
    item->setData(0, Qt::UserRole, i);
    items[i] = item;
  }
}
