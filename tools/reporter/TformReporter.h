#pragma once

#include "report/Report.h"

#include <QWidget>

#include <atomic>
#include <memory>
#include <optional>

class QComboBox;
class QDateEdit;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QThread;
class ChartView;

// The reporter's window: pick a monitor, a day and the kind of report; the files are read in the
// background and the chart and tables previewed; the report is saved as PDF, CSV or PNG.
class TformReporter : public QWidget {
 public:
  TformReporter(QString dataPath, const qmreport::Request& first);
  ~TformReporter() override;

 private:
  void Reload();
  void StartPending();
  void ShowReport(std::shared_ptr<const qmreport::Report> r);
  void SaveAs(const QString& caption, const QString& filter, const QString& suffix, int which);

  QString dataPath_;
  QListWidget* listMonitors_;
  QDateEdit* editDay_;
  QComboBox* comboKind_;
  QComboBox* comboInterval_;
  QSpinBox* spinDay_;
  QSpinBox* spinEvening_;
  QSpinBox* spinNight_;
  QPushButton* btnPdf_;
  QPushButton* btnCsv_;
  QPushButton* btnChart_;
  QProgressBar* progress_;
  QLabel* lblMessage_;
  QLabel* lblHeader_;
  ChartView* chart_;
  QTabWidget* tabs_;

  QThread* worker_ = nullptr;
  std::shared_ptr<std::atomic_bool> cancel_;
  std::optional<qmreport::Request> pending_;
  std::shared_ptr<const qmreport::Report> report_;
};
