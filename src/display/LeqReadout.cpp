#include "display/LeqReadout.h"

#include "display/Fonts.h"

#include <QLabel>

namespace {

constexpr int kAlignWidth = 134;
}  // namespace

LeqReadout::LeqReadout(QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, Qt::white);
  p.setColor(QPalette::WindowText, Qt::black);
  setPalette(p);

  panelLeqAlign_ = new QWidget(this);
  lblLeq_ = new QLabel(QStringLiteral("---.-"), panelLeqAlign_);
  lblLeq_->setFont(qmfonts::Tahoma(29, true));
  lblLeq_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  lblLeq_->setGeometry(0, 0, 92, kHeight);
  auto* lblTxtLeq = new QLabel(QStringLiteral("LAeq,1s"), panelLeqAlign_);
  auto* lblLeqdB = new QLabel(QStringLiteral("dB(A)"), panelLeqAlign_);
  for (QLabel* l : {lblTxtLeq, lblLeqdB}) l->setFont(qmfonts::Tahoma(9, false));
  lblTxtLeq->setGeometry(96, 4, kAlignWidth - 96, 11);
  lblLeqdB->setGeometry(96, 15, kAlignWidth - 96, 11);
  resize(kAlignWidth, kHeight);
}

void LeqReadout::SetText(const QString& text) {
  if (lblLeq_->text() != text) lblLeq_->setText(text);
}

void LeqReadout::resizeEvent(QResizeEvent*) {
  panelLeqAlign_->setGeometry(width() - kAlignWidth, 0, kAlignWidth, kHeight);
}
