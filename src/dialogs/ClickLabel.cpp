#include "dialogs/ClickLabel.h"

#include <QMouseEvent>

TClickLabel::TClickLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {}

void TClickLabel::SetLinkStyle(bool on) {
  link_ = on;
  setStyleSheet(on ? QStringLiteral("color: blue; text-decoration: underline;") : QString());
  if (on)
    setCursor(Qt::PointingHandCursor);
  else
    unsetCursor();
}

void TClickLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (link_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
    emit clicked();
}
