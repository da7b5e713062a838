#include "dialogs/TformHelp.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

bool FollowInContents(const QUrl& target) {
  return target.toString().contains(QStringLiteral("contents.html"));
}

TformHelp::TformHelp(QString helpFolder, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      helpFolder_(std::move(helpFolder)) {
  setWindowTitle(QStringLiteral("Quietmark Supervisor Help"));
  // A hidden help window must not keep the program running, nor does closing it end anything.
  setAttribute(Qt::WA_QuitOnClose, false);
  resize(769, 435);

  browserContents_ = new QTextBrowser(this);
  browserContents_->setFixedWidth(163);
  // Every link of the contents pane is routed by hand.
  browserContents_->setOpenLinks(false);
  connect(browserContents_, &QTextBrowser::anchorClicked, this,
          &TformHelp::browserContentsBeforeNavigate2);
  browser_ = new QTextBrowser(this);
  // Links to web sites and mail addresses go to the desktop's programs.
  browser_->setOpenExternalLinks(true);

  auto* panes = new QHBoxLayout;
  panes->setContentsMargins(0, 0, 0, 0);
  panes->setSpacing(0);
  panes->addWidget(browserContents_);
  panes->addWidget(browser_, 1);

  auto* panelBtns = new QWidget(this);
  panelBtns->setFixedHeight(41);
  auto* panelBtnsRight = new QWidget(panelBtns);
  panelBtnsRight->setFixedWidth(185);
  btnClose_ = new QPushButton(QStringLiteral("Close"), panelBtnsRight);
  btnClose_->setFixedSize(75, 25);
  connect(btnClose_, &QPushButton::clicked, this, &QWidget::hide);
  auto* right = new QHBoxLayout(panelBtnsRight);
  right->setContentsMargins(0, 0, 12, 0);
  right->addStretch(1);
  right->addWidget(btnClose_);
  auto* strip = new QHBoxLayout(panelBtns);
  strip->setContentsMargins(0, 0, 0, 0);
  strip->addStretch(1);
  strip->addWidget(panelBtnsRight);

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addLayout(panes, 1);
  column->addWidget(panelBtns);
}

void TformHelp::ShowHelp(const QString& sHelpUrl) {
  browserContents_->setSource(QUrl::fromLocalFile(helpFolder_ + QStringLiteral("contents.html")));
  browser_->setSource(QUrl::fromLocalFile(helpFolder_ + sHelpUrl));
  show();
  raise();
  activateWindow();
}

void TformHelp::browserContentsBeforeNavigate2(const QUrl& target) {
  const QUrl resolved = browserContents_->source().resolved(target);
  if (FollowInContents(resolved)) {
    browserContents_->setSource(resolved);
    return;
  }
  // The panes show only local pages; web sites and mail addresses go to the desktop's programs.
  if (resolved.isLocalFile())
    browser_->setSource(resolved);
  else
    QDesktopServices::openUrl(resolved);
}
