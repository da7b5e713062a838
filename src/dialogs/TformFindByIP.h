#pragma once

#include "dialogs/FindSearch.h"

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

// "Connect Noise Monitor by IP Address": the discovery probe at one typed address.
class TformFindByIP : public QDialog {
  Q_OBJECT
 public:
  explicit TformFindByIP(TFindSearch::Env env, QWidget* parent = nullptr);

  void btnOKClick();
  // The error box; tests replace it.
  std::function<void(const QString&)> showError;

  QLabel* lblInfo;
  QLabel* lblIP;
  QLineEdit* editIP;
  QLabel* lblEg;
  QLabel* lblStatus;
  QPushButton* btnOK;
  QPushButton* btnCancel;
  QPushButton* btnHelp;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void UpdateConnect();
  TFindSearch::Env env_;
};
