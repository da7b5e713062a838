// The status bar's note that downloaded data cannot be stored.
#include "display/TformMain.h"

#include <QLabel>
#include <QStatusBar>

void TformMain::ShowStorageState(const QString& text) {
  if (!panelStatStorage_) {
    panelStatStorage_ = new QLabel;
    panelStatStorage_->setObjectName(QStringLiteral("panelStatStorage"));
    statusBar()->addWidget(panelStatStorage_);
  }
  panelStatStorage_->setText(text);
  panelStatStorage_->setVisible(!text.isEmpty());
}
