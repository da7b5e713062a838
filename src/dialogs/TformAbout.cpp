#include "dialogs/TformAbout.h"

#include "core/Clock.h"
#include "core/Vendor.h"
#include "dialogs/ClickLabel.h"
#include "platform/Shell.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

QString WebSiteFor(const QString& localeName) {
  return QString::fromLatin1(localeName == QLatin1String("en-GB") ? qmvendor::kWebSiteUk
                                                                  : qmvendor::kWebSite);
}

QString ContactMailto() {
  return QStringLiteral("mailto:") + QString::fromLatin1(qmvendor::kContactEmail) +
         QStringLiteral("?subject=Quietmark%20Supervisor%20v") +
         QString::fromLatin1(kProgramVersion);
}

namespace {

// The maker's mark: a level bar under a sound arc.
QPixmap Logo() {
  QPixmap pm(32, 32);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 90, 60));
  p.drawRoundedRect(QRectF(0.5, 0.5, 31, 31), 6, 6);
  const QColor bars[] = {QColor(0, 200, 0), QColor(0, 200, 0), QColor(230, 200, 0),
                         QColor(230, 60, 0)};
  for (int i = 0; i < 4; ++i) {
    p.setBrush(bars[i]);
    const int h = 6 + 5 * i;
    p.drawRect(QRect(5 + 6 * i, 27 - h, 4, h));
  }
  return pm;
}

}  // namespace

TformAbout::TformAbout(QWidget* parent, const QString& localeName) : QDialog(parent) {
  setWindowTitle(QStringLiteral("About Quietmark Supervisor"));
  openUrl = [](const QString& url) { return qmplatform::OpenUrl(url); };

  auto* lblBH = new QLabel(QStringLiteral("Brackenhall"), this);
  QFont heavy = lblBH->font();
  heavy.setPointSize(22);
  heavy.setWeight(QFont::Black);
  lblBH->setFont(heavy);
  auto* imgLogo = new QLabel(this);
  imgLogo->setFixedSize(32, 32);
  imgLogo->setPixmap(Logo());
  auto* lblTitle = new QLabel(QStringLiteral("Quietmark-SV"), this);
  QFont bold = lblTitle->font();
  bold.setBold(true);
  lblTitle->setFont(bold);
  auto* lblVersion = new QLabel(QStringLiteral("v") + QString::fromLatin1(kProgramVersion), this);

  sWebUrl_ = WebSiteFor(localeName.isEmpty() ? qmplatform::UserLocaleName() : localeName);
  auto* lblTxtWeb = new QLabel(QStringLiteral("Web:"), this);
  lblLinkWeb_ = new TClickLabel(sWebUrl_, this);
  lblLinkWeb_->SetLinkStyle(true);
  connect(lblLinkWeb_, &TClickLabel::clicked, this,
          [this] { openUrl(QStringLiteral("https://") + sWebUrl_); });
  auto* lblTxtEmail = new QLabel(QStringLiteral("Email:"), this);
  lblLinkEmail_ = new TClickLabel(QString::fromLatin1(qmvendor::kContactEmail), this);
  lblLinkEmail_->SetLinkStyle(true);
  connect(lblLinkEmail_, &TClickLabel::clicked, this, [this] { openUrl(ContactMailto()); });

  lblUpdate_ = new TClickLabel(QStringLiteral("Checking for updates..."), this);
  lblUpdate_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  connect(lblUpdate_, &TClickLabel::clicked, this, &TformAbout::lblUpdateClick);
  btnClose_ = new QPushButton(QStringLiteral("Close"), this);
  btnClose_->setDefault(true);
  // Also the cancel button: Esc closes the box as QDialog does.
  connect(btnClose_, &QPushButton::clicked, this, &QDialog::reject);

  timerUpdates_ = new QTimer(this);
  timerUpdates_->setInterval(1000);
  timerUpdates_->setSingleShot(true);
  connect(timerUpdates_, &QTimer::timeout, this, &TformAbout::timerUpdatesTimer);

  auto* head = new QHBoxLayout;
  head->addWidget(imgLogo);
  head->addWidget(lblBH);
  head->addStretch(1);
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(10);
  grid->addWidget(lblTitle, 0, 0, 1, 2);
  grid->addWidget(lblVersion, 1, 0, 1, 2);
  grid->addWidget(lblTxtWeb, 2, 0);
  grid->addWidget(lblLinkWeb_, 2, 1);
  grid->addWidget(lblTxtEmail, 3, 0);
  grid->addWidget(lblLinkEmail_, 3, 1);
  grid->setColumnStretch(1, 1);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(lblUpdate_, 1);
  bottom->addSpacing(12);
  bottom->addWidget(btnClose_);
  auto* column = new QVBoxLayout(this);
  column->addLayout(head);
  column->addSpacing(6);
  column->addLayout(grid);
  column->addStretch(1);
  column->addLayout(bottom);
  setFixedSize(360, 220);
}

TformAbout::~TformAbout() = default;

void TformAbout::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!check_ && lblUpdate_->text() == QLatin1String("Checking for updates..."))
    timerUpdates_->start();
}

void TformAbout::done(int result) {
  // Closing ends the check; its reply is never shown.
  timerUpdates_->stop();
  check_.reset();
  QDialog::done(result);
}

void TformAbout::timerUpdatesTimer() {
  check_ = std::make_unique<TUpdateCheck>();
  connect(check_.get(), &TUpdateCheck::Done, this,
          [this](TUpdateResult result, const QString&) { UpdateDone(result); });
  check_->Start(UpdateInstallUrl(), UpdateRequestBody(qmclock::Now()));
}

void TformAbout::UpdateDone(TUpdateResult result) {
  switch (result) {
    case TUpdateResult::Failed:
      lblUpdate_->setText(QStringLiteral("Failed to contact server"));
      break;
    case TUpdateResult::UpToDate:
      lblUpdate_->setText(QStringLiteral("Program is up to date"));
      break;
    case TUpdateResult::NewVersion:
      lblUpdate_->setText(QStringLiteral("New version available"));
      lblUpdate_->SetLinkStyle(true);
      break;
  }
}

void TformAbout::lblUpdateClick() {
  openUrl(UpdateInstallUrl());
  accept();
}
