#include "dialogs/TformFindByIP.h"

#include "core/IpAddress.h"
#include "dialogs/ButtonRow.h"
#include "dialogs/ConnectByIP.h"
#include "dialogs/HelpLink.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

TformFindByIP::TformFindByIP(TFindSearch::Env env, QWidget* parent)
    : QDialog(parent), env_(std::move(env)) {
  setWindowTitle(QStringLiteral("Connect Noise Monitor by IP Address"));
  showError = [this](const QString& text) { QMessageBox::critical(this, windowTitle(), text); };
  lblInfo = new QLabel(
      QStringLiteral("Connect to a noise monitor at a known IP address. This will attempt to "
                     "locate the monitor and instruct it to automatically connect back to this "
                     "software in future."),
      this);
  lblInfo->setWordWrap(true);
  lblIP = new QLabel(QStringLiteral("IP Address"), this);
  editIP = new QLineEdit(this);
  lblEg = new QLabel(QStringLiteral("E.g. 192.168.0.99"), this);
  lblStatus = new QLabel(this);
  lblStatus->setAlignment(Qt::AlignCenter);
  lblStatus->setWordWrap(true);
  lblStatus->setMinimumHeight(2 * fontMetrics().lineSpacing() + 4);
  btnOK = new QPushButton(QStringLiteral("Connect"), this);
  btnOK->setDefault(true);
  btnCancel = new QPushButton(QStringLiteral("Close"), this);
  btnHelp = new QPushButton(QStringLiteral("&Help"), this);

  auto* address = new QGridLayout;
  address->addWidget(lblIP, 0, 0);
  address->addWidget(editIP, 0, 1);
  address->addWidget(lblEg, 1, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblInfo);
  layout->addLayout(address);
  layout->addWidget(lblStatus);
  layout->addLayout(ButtonRow(btnHelp, {btnOK, btnCancel}));
  resize(400, 230);

  editIP->installEventFilter(this);
  connect(btnOK, &QPushButton::clicked, this, &TformFindByIP::btnOKClick);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(btnHelp, &QPushButton::clicked, this,
          [] { ShowHelpPage(QStringLiteral("network/findbyip.html")); });
  UpdateConnect();
}

bool TformFindByIP::eventFilter(QObject* watched, QEvent* event) {
  if (watched == editIP && event->type() == QEvent::KeyRelease) UpdateConnect();
  return QDialog::eventFilter(watched, event);
}

void TformFindByIP::UpdateConnect() { btnOK->setEnabled(ValidIPAdx(editIP->text())); }

void TformFindByIP::btnOKClick() {
  // The button follows key releases only; a paste with the mouse can leave it enabled.
  const QString address = editIP->text();
  if (!ValidIPAdx(address)) {
    showError(QStringLiteral("Not a valid IP address"));
    return;
  }
  const TConnectOutcome out = ConnectByIP(address, env_, [this](const QString& status) {
    lblStatus->setText(status);
    // The probe blocks the thread: show the attempt before it.
    repaint();
  });
  // The status breaks its line with a CR, which a label would show as a blank.
  lblStatus->setText(QString(out.sStatus).replace(QLatin1Char('\r'), QLatin1Char('\n')));
  if (out.bFound) {
    editIP->clear();
    editIP->setFocus();
    UpdateConnect();
  }
}
