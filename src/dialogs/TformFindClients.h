#pragma once

#include "dialogs/FindSearch.h"

#include <QDialog>
#include <QTimer>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

// "Find New Monitors": searches the local /24 for monitors, one address per tick.
class TformFindClients : public QDialog {
  Q_OBJECT
 public:
  // tickMs: the pace of the search (tests shorten it).
  explicit TformFindClients(TFindSearch::Env env, QWidget* parent = nullptr, int tickMs = 500);

  void btnOKClick();
  void timerFindTimer();
  const TFindSearch& Search() const { return search_; }

  QLabel* lblStatus;
  QPushButton* btnOK;
  QPushButton* btnCancel;
  QPushButton* btnHelp;
  QProgressBar* progress;
  QListWidget* listbox;
  QTimer timerFind;

 protected:
  void done(int result) override;

 private:
  TFindSearch search_;
};
