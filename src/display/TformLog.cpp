#include "display/TformLog.h"

#include "core/EventLog.h"
#include "core/TRunstat.h"
#include "live/Alarms.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TformLog::TformLog(TEventLog* log, TRunstat* runstat, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window | Qt::WindowCloseButtonHint | Qt::WindowTitleHint),
      log_(log),
      runstat_(runstat),
      mainWindow_(mainWindow) {
  setWindowTitle(QStringLiteral("Quietmark SV Log"));
  resize(354, 213);

  memoLog_ = new QPlainTextEdit(this);
  memoLog_->setReadOnly(true);
  memoLog_->setLineWrapMode(QPlainTextEdit::NoWrap);
  memoLog_->setMaximumBlockCount(kMaxBlocks);
  memoLog_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memoLog_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memoLog_->setStyleSheet(
      QStringLiteral("QPlainTextEdit { background-color: black; color: rgb(51, 187, 51); }"));

  btnClear_ = new QPushButton(QStringLiteral("Clear"), this);
  chkDebugLog_ = new QCheckBox(QStringLiteral("Detailed debug log"), this);
  btnSave_ = new QPushButton(QStringLiteral("Save to File"), this);
  auto* strip = new QHBoxLayout;
  strip->addWidget(btnClear_);
  strip->addWidget(chkDebugLog_);
  strip->addStretch();
  strip->addWidget(btnSave_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 4);
  layout->addWidget(memoLog_, 1);
  layout->addLayout(strip);

  connect(btnClear_, &QPushButton::clicked, this, [this] { log_->Clear(); });
  connect(chkDebugLog_, &QCheckBox::toggled, this, [this](bool on) { runstat_->bDebugLog = on; });
  connect(btnSave_, &QPushButton::clicked, this, &TformLog::btnSaveClick);
  connect(log_, &TEventLog::cleared, this, [this] {
    pending_.clear();
    memoLog_->clear();
  });

  // Lines arriving in a burst are appended together.
  flushTimer_.setInterval(100);
  flushTimer_.setSingleShot(true);
  connect(&flushTimer_, &QTimer::timeout, this, &TformLog::Flush);

  captionTimer_.setInterval(1000);
  connect(&captionTimer_, &QTimer::timeout, this, [this] { setWindowTitle(LogWindowCaption()); });
}

void TformLog::PlaceBeside(const QRect& mainFrame, const QRect& desktop) {
  const QSize own = frameGeometry().size();
  int left = mainFrame.right() + 1;
  const int top = mainFrame.top() + mainFrame.height() - own.height();
  if (left + own.width() > desktop.right() + 1) left = desktop.right() + 1 - own.width();
  move(left, top);
}

void TformLog::showEvent(QShowEvent* event) {
  if (mainWindow_) {
    const QScreen* screen = mainWindow_->screen();
    const QRect desktop = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    PlaceBeside(mainWindow_->frameGeometry(), desktop);
  }
  chkDebugLog_->setChecked(runstat_->bDebugLog.load());
  captionTimer_.start();
  // Show the log as it is now, then follow it.
  memoLog_->clear();
  pending_.clear();
  const auto& lines = log_->Lines();
  const std::size_t first = lines.size() > static_cast<std::size_t>(kMaxBlocks)
                                ? lines.size() - static_cast<std::size_t>(kMaxBlocks)
                                : 0;
  QStringList all;
  for (std::size_t i = first; i < lines.size(); ++i) all << lines[i];
  memoLog_->setPlainText(all.join(QLatin1Char('\n')));
  memoLog_->moveCursor(QTextCursor::End);
  feed_ = connect(log_, &TEventLog::lineAdded, this, [this](const QString& line) {
    pending_ << line;
    if (!flushTimer_.isActive()) flushTimer_.start();
  });
  QWidget::showEvent(event);
}

void TformLog::hideEvent(QHideEvent* event) {
  disconnect(feed_);
  flushTimer_.stop();
  captionTimer_.stop();
  pending_.clear();
  QWidget::hideEvent(event);
}

void TformLog::Flush() {
  if (pending_.isEmpty()) return;
  memoLog_->appendPlainText(pending_.join(QLatin1Char('\n')));
  pending_.clear();
}

void TformLog::btnSaveClick() {
  QFileDialog dlgSave(this, QStringLiteral("Save Log File"));
  dlgSave.setAcceptMode(QFileDialog::AcceptSave);
  dlgSave.selectFile(QStringLiteral("calmpoint.log"));
  if (dlgSave.exec() != QDialog::Accepted || dlgSave.selectedFiles().isEmpty()) return;
  QString error;
  if (!log_->SaveToFile(dlgSave.selectedFiles().first(), &error))
    QMessageBox::critical(this, windowTitle(), QStringLiteral("Failed to save the log: ") + error);
}
