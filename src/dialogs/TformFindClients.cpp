#include "dialogs/TformFindClients.h"

#include "dialogs/ButtonRow.h"
#include "dialogs/HelpLink.h"

#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

TformFindClients::TformFindClients(TFindSearch::Env env, QWidget* parent, int tickMs)
    : QDialog(parent), search_(std::move(env)) {
  setWindowTitle(QStringLiteral("Find New Monitors"));
  lblStatus = new QLabel(this);
  lblStatus->hide();
  listbox = new QListWidget(this);
  listbox->addItem(
      QStringLiteral("Click [Start] to search for noise monitors on the local network."));
  progress = new QProgressBar(this);
  progress->setRange(0, 255);
  progress->setTextVisible(false);
  progress->hide();
  btnOK = new QPushButton(QStringLiteral("Start"), this);
  btnOK->setDefault(true);
  btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
  btnHelp = new QPushButton(QStringLiteral("&Help"), this);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblStatus);
  layout->addWidget(listbox);
  layout->addWidget(progress);
  layout->addLayout(ButtonRow(btnHelp, {btnOK, btnCancel}));
  resize(460, 320);

  timerFind.setInterval(tickMs);
  connect(&timerFind, &QTimer::timeout, this, &TformFindClients::timerFindTimer);
  connect(btnOK, &QPushButton::clicked, this, &TformFindClients::btnOKClick);
  // The timer and the probe belong to the dialog: closing it ends the search.
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(btnHelp, &QPushButton::clicked, this,
          [] { ShowHelpPage(QStringLiteral("network/findnew.html")); });
}

void TformFindClients::done(int result) {
  // No tick may probe once the dialog is closed, even before it is destroyed.
  timerFind.stop();
  QDialog::done(result);
}

void TformFindClients::btnOKClick() {
  search_.Start();
  lblStatus->setText(QStringLiteral("Searching for monitors..."));
  lblStatus->show();
  progress->setValue(0);
  progress->show();
  // Another search needs the dialog opened again.
  btnOK->hide();
  listbox->clear();
  timerFind.start();
}

void TformFindClients::timerFindTimer() {
  if (search_.bSentry || search_.Finished()) return;
  progress->setValue(search_.nAdx);
  // The probe blocks the thread; show the progress first.
  progress->repaint();
  const QString line = search_.Tick();
  if (!line.isEmpty()) listbox->addItem(line);
  if (search_.Finished()) {
    timerFind.stop();
    progress->hide();
    lblStatus->setText(search_.FinalStatus());
    btnCancel->setText(QStringLiteral("Close"));
  }
}
