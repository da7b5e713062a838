#pragma once

#include <QWidget>

class QLabel;

// The strip above the chart with the newest LAeq,1s in large figures and its unit beside it.
class LeqReadout : public QWidget {
 public:
  static constexpr int kHeight = 29;

  explicit LeqReadout(QWidget* parent);
  void SetText(const QString& text);
  QLabel* lblLeq() const { return lblLeq_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QWidget* panelLeqAlign_;
  QLabel* lblLeq_;
};
