#pragma once

#include <QLabel>

// A label that acts as a link: clicked() on a left click, and optionally drawn as a link.
class TClickLabel : public QLabel {
  Q_OBJECT
 public:
  explicit TClickLabel(const QString& text = {}, QWidget* parent = nullptr);
  // Blue, underlined, hand cursor; off gives a plain label that ignores clicks.
  void SetLinkStyle(bool on);
  bool LinkStyle() const { return link_; }

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool link_ = false;
};
