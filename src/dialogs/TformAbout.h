#pragma once

#include "core/UpdateCheck.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QTimer;
class TClickLabel;

// The web site shown for a locale name: the UK site for "en-GB", the main site otherwise.
QString WebSiteFor(const QString& localeName);
// The mailto address of the contact link, with the program and version as subject.
QString ContactMailto();

// The about box; one second after it is shown it asks the update server for the newest version.
class TformAbout : public QDialog {
  Q_OBJECT
 public:
  explicit TformAbout(QWidget* parent = nullptr, const QString& localeName = {});
  ~TformAbout() override;

  // How links are opened; tests replace it.
  std::function<bool(const QString&)> openUrl;

  const QString& sWebUrl() const { return sWebUrl_; }
  TClickLabel* lblLinkWeb() const { return lblLinkWeb_; }
  TClickLabel* lblLinkEmail() const { return lblLinkEmail_; }
  TClickLabel* lblUpdate() const { return lblUpdate_; }
  QPushButton* btnClose() const { return btnClose_; }
  // The check under way, null before the timer fires and after the box closes.
  TUpdateCheck* Check() const { return check_.get(); }

  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void timerUpdatesTimer();
  void UpdateDone(TUpdateResult result);
  void lblUpdateClick();

  QString sWebUrl_;
  TClickLabel* lblLinkWeb_ = nullptr;
  TClickLabel* lblLinkEmail_ = nullptr;
  TClickLabel* lblUpdate_ = nullptr;
  QPushButton* btnClose_ = nullptr;
  QTimer* timerUpdates_ = nullptr;
  std::unique_ptr<TUpdateCheck> check_;
};
