#pragma once

#include <QStringList>
#include <QTimer>
#include <QWidget>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;
class TEventLog;
class TRunstat;

// The log window: a read-only view of the event log. It mirrors the log only while shown, so a
// hidden window costs nothing however busy the log is.
class TformLog : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kMaxBlocks = 200000;

  TformLog(TEventLog* log, TRunstat* runstat, QWidget* mainWindow);

  QPlainTextEdit* memoLog() const { return memoLog_; }
  QCheckBox* chkDebugLog() const { return chkDebugLog_; }
  // Places the window beside the main window as it opens.
  void PlaceBeside(const QRect& mainFrame, const QRect& desktop);

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void Flush();
  void btnSaveClick();

  TEventLog* log_;
  TRunstat* runstat_;
  QWidget* mainWindow_;
  QPlainTextEdit* memoLog_;
  QCheckBox* chkDebugLog_;
  QPushButton* btnClear_;
  QPushButton* btnSave_;
  QStringList pending_;
  QTimer flushTimer_;
  QTimer captionTimer_;  // the memory use in the caption, every second while shown
  QMetaObject::Connection feed_;
};
