#pragma once

#include <QString>
#include <QUrl>
#include <QWidget>

class QPushButton;
class QTextBrowser;

// Where a link chosen in the contents pane is followed: the contents page itself stays in the
// contents pane, everything else opens in the page pane.
bool FollowInContents(const QUrl& target);

// The help viewer: contents on the left, the page asked for on the right. Not modal.
class TformHelp : public QWidget {
  Q_OBJECT
 public:
  // `helpFolder` holds contents.html and the pages, with a trailing separator.
  explicit TformHelp(QString helpFolder, QWidget* parent = nullptr);

  // Shows the contents and `sHelpUrl` (relative to the help folder) and brings the window forward.
  void ShowHelp(const QString& sHelpUrl);

  QTextBrowser* browserContents() const { return browserContents_; }
  QTextBrowser* browser() const { return browser_; }
  QPushButton* btnClose() const { return btnClose_; }

 private:
  void browserContentsBeforeNavigate2(const QUrl& target);

  QString helpFolder_;
  QTextBrowser* browserContents_ = nullptr;
  QTextBrowser* browser_ = nullptr;
  QPushButton* btnClose_ = nullptr;
};
