#include "display/TFrameClient.h"

#include "core/EventLog.h"
#include "core/ISupervisorUi.h"
#include "core/IniFile.h"
#include "core/MonitorFolder.h"
#include "core/TCfg.h"
#include "core/TermCfgWrite.h"
#include "display/Fonts.h"
#include "display/LeqReadout.h"
#include "display/LevelChartView.h"
#include "display/ModuleList.h"
#include "display/bh_ledbar.h"

#include <QAction>
#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

#include <algorithm>
#include <array>
#include <climits>
#include <vector>

namespace {

int g_cascadeCounter = 0;

constexpr int kBorder = 1;
constexpr int kStatusHeight = 14;
constexpr int kGripSize = 14;
const QColor kRed(255, 0, 0);

void Fill(QWidget* w, const QColor& colour) {
  QPalette p = w->palette();
  p.setColor(QPalette::Window, colour);
  w->setPalette(p);
  w->setAutoFillBackground(true);
}

// The diagonal ridges of a size grip on a transparent ground.
QPixmap GripPicture() {
  QPixmap pm(kGripSize, kGripSize);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setPen(QColor(128, 128, 128));
  for (int i = 0; i < 3; ++i) {
    const int d = 4 + 4 * i;
    p.drawLine(kGripSize - 1, kGripSize - 1 - d, kGripSize - 1 - d, kGripSize - 1);
  }
  return pm;
}

// Three bars: the window's menu.
QIcon MenuPicture() {
  QPixmap pm(12, 12);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  for (int y : {2, 5, 8}) p.fillRect(1, y, 10, 2, Qt::white);
  return QIcon(pm);
}

// A triangle pointing up (make compact) or down (expand).
QIcon DrawStatePicture(bool expand) {
  QPixmap pm(12, 12);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  const QPolygonF up({QPointF(1, 9), QPointF(11, 9), QPointF(6, 3)});
  const QPolygonF down({QPointF(1, 3), QPointF(11, 3), QPointF(6, 9)});
  p.drawPolygon(expand ? down : up);
  return QIcon(pm);
}

// The status light: a grey-rimmed circle, yellow while downloading, lime otherwise. Drawn once;
// a style sheet per status change was slow with many monitors downloading at once.
const QPixmap& StatusPicture(bool downloading) {
  static const std::array<QPixmap, 2> pictures = [] {
    std::array<QPixmap, 2> out;
    for (int i = 0; i < 2; ++i) {
      QPixmap pm(7, 7);
      pm.fill(Qt::transparent);
      QPainter p(&pm);
      p.setRenderHint(QPainter::Antialiasing);
      p.setPen(QColor(128, 128, 128));
      p.setBrush(i ? QColor(255, 255, 0) : QColor(0, 255, 0));
      p.drawEllipse(QRectF(0.5, 0.5, 6, 6));
      out[i] = pm;
    }
    return out;
  }();
  return pictures[downloading ? 1 : 0];
}

const QIcon& StatePicture(bool expand) {
  static const QIcon pictures[2] = {DrawStatePicture(false), DrawStatePicture(true)};
  return pictures[expand ? 1 : 0];
}

}  // namespace

int TFrameClient::CascadeCounter() { return g_cascadeCounter; }

TFrameClient::TFrameClient(QWidget* panelMain, TCfg& cfg, ISupervisorUi& ui)
    : QFrame(panelMain), cfg_(cfg), ui_(ui) {
  hide();
  setGeometry(0, 0, qmgeom::kDesignWidth, qmgeom::kDesignHeight);
  Fill(this, Qt::white);

  panelWin_ = new QFrame(this);
  panelWin_->setFrameStyle(QFrame::Box | QFrame::Plain);
  panelWin_->setLineWidth(kBorder);

  panelTitle_ = new QLabel(QStringLiteral("      Noise Monitor"), panelWin_);
  panelTitle_->setFont(qmfonts::Tahoma(12));
  panelTitle_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  panelTitle_->installEventFilter(this);
  QPalette titleText = panelTitle_->palette();
  titleText.setColor(QPalette::WindowText,
                     QPalette().color(QPalette::Active, QPalette::HighlightedText));
  panelTitle_->setPalette(titleText);

  btnMenu_ = new QToolButton(panelTitle_);
  btnMenu_->setAutoRaise(true);
  btnMenu_->setGeometry(0, 0, 23, qmgeom::kTitleHeight);
  btnMenu_->setIcon(MenuPicture());
  btnMenu_->installEventFilter(this);
  connect(btnMenu_, &QToolButton::clicked, this, [this] { popupClient_->popup(QCursor::pos()); });

  panelWinBtns_ = new QWidget(panelTitle_);
  panelWinBtns_->installEventFilter(this);  // covers a long title in the title's colour
  btnWinState_ = new QToolButton(panelWinBtns_);
  btnWinState_->setAutoRaise(true);
  btnWinState_->setGeometry(21, 0, 22, qmgeom::kTitleHeight);
  btnWinState_->setIcon(StatePicture(false));
  btnWinState_->installEventFilter(this);
  connect(btnWinState_, &QToolButton::clicked, this, &TFrameClient::btnWinStateClick);
  lblAlmCount_ = new QLabel(panelWinBtns_);
  lblAlmCount_->setGeometry(0, 2, 25, 16);
  lblAlmCount_->setFont(qmfonts::Tahoma(13, true));
  lblAlmCount_->setAlignment(Qt::AlignCenter);
  lblAlmCount_->hide();
  SetTitleRed(false);

  panelLeds_ = new QWidget(panelWin_);
  Fill(panelLeds_, Qt::black);

  panelHistory_ = new QWidget(panelWin_);
  Fill(panelHistory_, Qt::white);
  panelLeq_ = new LeqReadout(panelHistory_);
  chartLeq1s_ = new LevelChartView(plot_, panelHistory_);
  for (QWidget* w : {static_cast<QWidget*>(panelLeq_), static_cast<QWidget*>(chartLeq1s_)})
    w->installEventFilter(this);

  panelStatus_ = new QWidget(panelWin_);
  Fill(panelStatus_, Qt::white);
  shapeStatus_ = new QLabel(panelStatus_);
  shapeStatus_->setGeometry(3, 4, 7, 7);
  lblStatus_ = new QLabel(QStringLiteral("Connected"), panelStatus_);
  lblStatus_->setFont(qmfonts::Tahoma(11));
  lblStatus_->setGeometry(13, 0, 63, kStatusHeight);
  lblChartPeriod_ = new QLabel(panelStatus_);
  lblChartPeriod_->setFont(qmfonts::Tahoma(11));
  lblChartPeriod_->setAlignment(Qt::AlignCenter);
  for (QLabel* l : {lblStatus_, lblChartPeriod_}) {
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, QColor(128, 128, 128));
    l->setPalette(p);
  }

  // The grip lies above the status strip rather than in it, so hiding the strip while sizing
  // does not take the pointer away from it.
  imageSize_ = new QLabel(panelWin_);
  imageSize_->setPixmap(GripPicture());
  imageSize_->setCursor(Qt::SizeFDiagCursor);
  imageSize_->installEventFilter(this);

  popupClient_ = new QMenu(this);
  menuInfo_ = popupClient_->addMenu(QStringLiteral("Info"));
  auto disabled = [this](const QString& text) {
    QAction* a = menuInfo_->addAction(text);
    a->setEnabled(false);
    return a;
  };
  menuitemType_ = disabled(QStringLiteral("Type: "));
  menuitemID_ = disabled(QStringLiteral("ID: "));
  menuitemDeviceID_ = disabled(QStringLiteral("Device ID:"));
  menuitemIP_ = disabled(QStringLiteral("IP:"));
  menuitemSignal_ = disabled(QStringLiteral("Signal:"));
  menuitemSignal_->setVisible(false);
  menuitemDownloading_ = popupClient_->addAction(QStringLiteral("Downloading"));
  menuitemDownloading_->setEnabled(false);
  menuitemDownloading_->setVisible(false);
  popupClient_->addSeparator();
  menuitemCfg_ = popupClient_->addAction(QStringLiteral("Settings..."), this,
                                         [this] { emit settingsRequested(ctx_, sID, sName); });

  SetDownloading(false);

  timerAlarmFlash_.setInterval(500);
  connect(&timerAlarmFlash_, &QTimer::timeout, this, [this] { SetTitleRed(!titleRed_); });
  timerAlarm_.setInterval(10000);
  timerAlarm_.setSingleShot(true);
  connect(&timerAlarm_, &QTimer::timeout, this, [this] {
    timerAlarmFlash_.stop();
    timerAlarm_.stop();
    SetTitleRed(true);
  });
  LayoutChildren();
}

TFrameClient::~TFrameClient() = default;

void TFrameClient::Init() {
  LogDebug(QStringLiteral("TFrameClient.Init()"));
  auto* panelLaf = new QWidget(panelLeds_);
  ledbar_ = new TLedBar(panelLeds_);
  panelLaf->setObjectName(QStringLiteral("panelLaf"));
  geom_.state = wsNorm;
  bMoving = bSizing = bSelected = false;
  nAlarmCount = 0;
  ClearPlotBuf();
  LayoutChildren();
}

void TFrameClient::Connect(const TCtx& ctx, const QString& sType, const QString& sIDIn,
                           const QString& sNameIn, const QString& sDeviceUIDIn,
                           const QString& sModules) {
  LogDebug(QStringLiteral("TFormMdiClient.Connect(): ") + sIDIn);
  ctx_ = ctx;
  sID = sIDIn;
  sName = sNameIn;
  sDeviceUID = sDeviceUIDIn;
  SetTitle(sName);
  menuitemType_->setText(QStringLiteral("Type: ") + sType);
  menuitemID_->setText(QStringLiteral("ID: ") + sID);
  menuitemDeviceID_->setText(QStringLiteral("Mic ID: ") + sDeviceUID);
  menuitemDeviceID_->setVisible(!sDeviceUID.isEmpty());
  if (ctx_) menuitemIP_->setText(QStringLiteral("IP: ") + ctx_->PeerAddress());
  AddModules(sModules);

  const QString folder = qmfolder::MonitorFolder(cfg_.DataPath(), sID);
  if (!sID.isEmpty()) {
    const IniFile ini(qmfolder::TermCfgPath(folder));
    const QString win = QStringLiteral("win");
    geom_ = qmgeom::Sanitised(ini.ReadInteger(win, QStringLiteral("xrel"), -1),
                              ini.ReadInteger(win, QStringLiteral("yrel"), 0),
                              ini.ReadInteger(win, QStringLiteral("cxrel"), 20000),
                              ini.ReadInteger(win, QStringLiteral("cyrel"), 30000),
                              ini.ReadInteger(win, QStringLiteral("state"), wsNorm));
  }
  if (geom_.x == -1) {
    geom_.x = geom_.y = qmgeom::CascadeRel(g_cascadeCounter);
    if (g_cascadeCounter < INT_MAX) ++g_cascadeCounter;
  }
  bConnected = true;
  Reposition();
  show();
}

void TFrameClient::Detach() {
  ctx_.reset();
  bConnected = false;
  timerAlarmFlash_.stop();
  timerAlarm_.stop();
}

void TFrameClient::AddModules(const QString& sModules) {
  const qmmodules::Modules modules = qmmodules::ModuleCaptions(sModules);
  if (!modules.any) return;
  menuInfo_->addSeparator();
  QMenu* menu = menuInfo_->addMenu(QStringLiteral("Modules"));
  for (const QString& caption : modules.captions) menu->addAction(caption)->setEnabled(false);
}

void TFrameClient::SetTitle(const QString& sTitle) {
  panelTitle_->setText(QStringLiteral("      ") + sTitle);
}

QString TFrameClient::TitleCaption() const { return panelTitle_->text(); }

void TFrameClient::SignalStrength(int nSignal) {
  menuitemSignal_->setText(QStringLiteral("Signal: ") + QString::number(nSignal) +
                           QStringLiteral("/70"));
  menuitemSignal_->setVisible(true);
}

void TFrameClient::Status(const QString& text) { lblStatus_->setText(text); }

void TFrameClient::SetDownloading(bool bDownloading) {
  menuitemDownloading_->setVisible(bDownloading);
  lblStatus_->setText(bDownloading ? QStringLiteral("Downloading") : QStringLiteral("Connected"));
  shapeStatus_->setPixmap(StatusPicture(bDownloading));
}

void TFrameClient::LedLevel(double flLevel, const TLedRange& leds) {
  if (!bConnected || !ledbar_) return;
  ledbar_->nMin = leds.nLEDMin;
  ledbar_->nMax = leds.nLEDMax;
  ledbar_->nTrig1 = leds.nTrig1;
  ledbar_->nTrig2 = leds.nTrig2;
  ledbar_->SetLevel(flLevel);
}

void TFrameClient::Leq1s(double flLeq, const TLedRange& leds) {
  const int n = cfg_.ReportPeriod();
  panelLeq_->SetText(LevelChart::ReadOut(flLeq));
  plot_.Leq1s(flLeq, n, leds, {cfg_.YAxisScale(), cfg_.YAxisMin(), cfg_.YAxisMax()});
  const QString label = LevelChart::PeriodLabel(n);
  if (lblChartPeriod_->text() != label) lblChartPeriod_->setText(label);
  chartLeq1s_->update();
}

// The chart shows the new values with the next 1-second value.
void TFrameClient::UpdateLeqBuf(const QString& sCs) { plot_.UpdateLeqBuf(sCs); }

void TFrameClient::ClearPlotBuf() {
  plot_.ClearPlotBuf();
  if (chartLeq1s_) chartLeq1s_->update();
}

void TFrameClient::SetAlarmCount(int nAlarms) {
  nAlarmCount = nAlarms;
  lblAlmCount_->setVisible(nAlarms > 0);
  if (nAlarms == 0) {
    SetTitleRed(false);
    return;
  }
  SetTitleRed(true);
  lblAlmCount_->setText(QString::number(nAlarms));
  lblAlmCount_->setToolTip(QString::number(nAlarms) +
                           (nAlarms == 1 ? QStringLiteral(" alarm") : QStringLiteral(" alarms")));
}

void TFrameClient::NewAlarm() {
  timerAlarm_.stop();
  timerAlarm_.start();
  timerAlarmFlash_.start();
}

void TFrameClient::SetTitleRed(bool red) {
  if (titleShown_ && red == titleRed_) return;
  titleShown_ = true;
  titleRed_ = red;
  // The ground is painted rather than set in the palette: any palette change makes the main
  // area recount what all its windows cover, and flashing titles change twice a second.
  titleColour_ = red ? kRed : QPalette().color(QPalette::Active, QPalette::Highlight);
  panelTitle_->update();
}

void TFrameClient::FrameActivated(bool bActivated) {
  bSelected = bActivated;
  // Every selection deselects all other windows, 2000 of them in a large fleet: only a real
  // change touches the font.
  if (titleBold_ != bActivated) {
    titleBold_ = bActivated;
    QFont f = panelTitle_->font();
    f.setBold(bActivated);
    panelTitle_->setFont(f);
  }
  if (!bActivated) return;
  raise();
  if (ctx_) ui_.ClientSelected(ctx_);
}

void TFrameClient::BorrowMenu(int x, int y) { popupClient_->popup(QPoint(x, y)); }

void TFrameClient::SetWinState(TWinState ws) {
  geom_.state = ws;
  SavePos();
  Reposition();
}

void TFrameClient::btnWinStateClick() {
  geom_.state = geom_.state == wsCompact ? wsNorm : wsCompact;
  SavePos();
  Reposition();
}

QSize TFrameClient::PanelSize() const { return parentWidget() ? parentWidget()->size() : QSize(); }

void TFrameClient::SetWinPos(int x, int y) {
  move(x, y);
  const QSize p = PanelSize();
  geom_.x = qmgeom::ToRel(x, p.width(), geom_.x);
  geom_.y = qmgeom::ToRel(y, p.height(), geom_.y);
  SavePos();
}

void TFrameClient::SetWinSize(int cx, int cy) {
  resize(std::max(cx, 0), std::max(cy, 0));
  const QSize p = PanelSize();
  geom_.cx = qmgeom::ToRel(width(), p.width(), geom_.cx);
  geom_.cy = qmgeom::ToRel(height(), p.height(), geom_.cy);
  ShowPanels();
  SavePos();
}

void TFrameClient::SavePos() {
  LogDebug(QStringLiteral("TFrameClient.SavePos(): ") + sID);
  if (sID.isEmpty()) return;
  qmfolder::WriteTermCfg(storage_, qmfolder::MonitorFolder(cfg_.DataPath(), sID),
                         QStringLiteral("win"),
                         {{QStringLiteral("xrel"), QString::number(geom_.x)},
                          {QStringLiteral("yrel"), QString::number(geom_.y)},
                          {QStringLiteral("cxrel"), QString::number(geom_.cx)},
                          {QStringLiteral("cyrel"), QString::number(geom_.cy)},
                          {QStringLiteral("state"), QString::number(geom_.state)}});
}

void TFrameClient::Reposition() {
  setGeometry(qmgeom::RepositionRect(geom_, PanelSize(), geometry()));
  ShowPanels();
}

void TFrameClient::ShowPanels() {
  btnWinState_->setIcon(StatePicture(geom_.state == wsCompact));
  const qmgeom::PanelLayout l =
      qmgeom::ShowPanelsLayout(geom_.state, size(), cfg_.RTLive(), cfg_.History(), bSizing);
  if (l.windowHeight) resize(width(), *l.windowHeight);
  if (l.ledsHeight) ledsHeight_ = std::max(*l.ledsHeight, 0);
  if (l.statusVisible) panelStatus_->setVisible(*l.statusVisible);
  if (l.statusBlack) Fill(panelStatus_, *l.statusBlack ? Qt::black : Qt::white);
  if (l.leqVisible) {
    panelLeq_->setVisible(*l.leqVisible);
    chartLeq1s_->SetLeftAxisVisible(*l.leqVisible);
  }
  if (l.periodVisible) lblChartPeriod_->setVisible(*l.periodVisible);
  panelLeds_->setVisible(l.ledsVisible);
  panelHistory_->setVisible(l.historyVisible);
  if (l.clearPlot) ClearPlotBuf();
  LayoutChildren();
}

void TFrameClient::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  LayoutChildren();
  FollowSight();
}

void TFrameClient::moveEvent(QMoveEvent* event) {
  QFrame::moveEvent(event);
  FollowSight();
}

void TFrameClient::FollowSight() {
  const QWidget* area = parentWidget();
  const bool seen = !area || area->rect().intersects(geometry());
  // Enabling repaints the whole window, with the values it took while out of sight.
  if (seen == updatesEnabled()) return;
  setUpdatesEnabled(seen);
  if (seen && ledbar_) ledbar_->ShowPending();
}

// Title and LED strip from the top, status strip at the bottom, history in between; a hidden
// panel takes no room, as the strips overlap when the window is too low for both.
void TFrameClient::LayoutChildren() {
  panelWin_->setGeometry(rect());
  const QRect inner = rect().adjusted(kBorder, kBorder, -kBorder, -kBorder);
  const int w = std::max(inner.width(), 0);
  int top = inner.top();
  panelTitle_->setGeometry(inner.left(), top, w, qmgeom::kTitleHeight);
  panelWinBtns_->setGeometry(w - 43, 0, 43, qmgeom::kTitleHeight);
  top += qmgeom::kTitleHeight;
  if (!panelLeds_->isHidden()) {
    panelLeds_->setGeometry(inner.left(), top, w, ledsHeight_);
    const QRect padded(2, 2, std::max(w - 4, 0), std::max(ledsHeight_ - 4, 0));
    for (QObject* child : panelLeds_->children())
      if (auto* cw = qobject_cast<QWidget*>(child)) cw->setGeometry(padded);
    top += ledsHeight_;
  }
  int bottom = inner.bottom() + 1;
  if (!panelStatus_->isHidden()) {
    panelStatus_->setGeometry(inner.left(), bottom - kStatusHeight, w, kStatusHeight);
    lblChartPeriod_->setGeometry(76, 0, std::max(w - 76 - kGripSize, 0), kStatusHeight);
    bottom -= kStatusHeight;
  }
  panelHistory_->setGeometry(inner.left(), top, w, std::max(bottom - top, 0));
  const int leqHeight = panelLeq_->isHidden() ? 0 : LeqReadout::kHeight;
  panelLeq_->setGeometry(0, 0, w, leqHeight);
  chartLeq1s_->setGeometry(0, leqHeight, w, std::max(panelHistory_->height() - leqHeight, 0));
  imageSize_->setGeometry(inner.right() + 1 - kGripSize, inner.bottom() + 1 - kGripSize, kGripSize,
                          kGripSize);
  imageSize_->setVisible(!panelStatus_->isHidden() || bSizing);
  imageSize_->raise();
}

bool TFrameClient::eventFilter(QObject* watched, QEvent* event) {
  const auto type = event->type();
  if (type == QEvent::Paint && (watched == panelTitle_ || watched == panelWinBtns_)) {
    auto* w = static_cast<QWidget*>(watched);
    QPainter(w).fillRect(w->rect(), titleColour_);
    return false;
  }
  const bool drag = type == QEvent::MouseButtonPress || type == QEvent::MouseMove ||
                    type == QEvent::MouseButtonRelease;
  if (watched == panelTitle_ || watched == imageSize_) {
    if (!drag) return false;
    const QPoint p = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
    if (watched == panelTitle_)
      TitleMouse(type, p);
    else
      GripMouse(type, p);
    return true;
  }
  // Clicks that the buttons and the chart keep for themselves still select the window.
  if (event->type() == QEvent::MouseButtonPress) PressSelects(static_cast<QMouseEvent*>(event));
  return false;
}

void TFrameClient::mousePressEvent(QMouseEvent* event) {
  PressSelects(event);
  event->accept();
}

void TFrameClient::PressSelects(const QMouseEvent* event) {
  if (event->timestamp() != 0 && event->timestamp() == lastPressStamp_) return;
  lastPressStamp_ = event->timestamp();
  FrameActivated(true);
}

// A press on the title or the grip: the window comes to the front, selected, and the drag
// starts from the pointer's screen position.
void TFrameClient::BeginDrag(const QPoint& p) {
  raise();
  FrameActivated(true);
  ptOrg_ = p;
}

void TFrameClient::TitleMouse(QEvent::Type type, const QPoint& p) {
  if (type == QEvent::MouseButtonPress) {
    BeginDrag(p);
    bMoving = true;
    orgTopLeft_ = pos();
  } else if (type == QEvent::MouseMove) {
    if (bMoving) move(qmgeom::DragPos(p, ptOrg_, orgTopLeft_, size(), PanelSize()));
  } else if (bMoving) {
    SetWinPos(x(), y());
    bMoving = false;
  }
}

void TFrameClient::GripMouse(QEvent::Type type, const QPoint& p) {
  if (type == QEvent::MouseButtonPress) {
    BeginDrag(p);
    bSizing = true;
    orgSize_ = size();
    panelStatus_->hide();
    LayoutChildren();
  } else if (type == QEvent::MouseMove) {
    if (!bSizing) return;
    const QSize s = qmgeom::SizingSize(p, ptOrg_, orgSize_, pos(), PanelSize());
    resize(std::max(s.width(), 0), std::max(s.height(), 0));
    ShowPanels();
  } else if (bSizing) {
    SetWinSize(width(), height());
    bSizing = false;
    panelStatus_->show();
    LayoutChildren();
  }
}
