#include "TformReporter.h"

#include "report/CommandLine.h"
#include "report/ReportChart.h"
#include "report/ReportPdf.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>

using namespace qmreport;

// The chart of the shown report, painted at whatever size the layout gives it.
class ChartView : public QWidget {
 public:
  void SetReport(std::shared_ptr<const Report> r) {
    report_ = std::move(r);
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    if (report_ && report_->HasData())
      PaintChart(p, QRectF(rect()), *report_);
    else
      p.fillRect(rect(), palette().window());
  }

 private:
  std::shared_ptr<const Report> report_;
};

namespace {
QSpinBox* HourBox(int value) {
  auto* s = new QSpinBox;
  s->setRange(0, 24);
  s->setValue(value);
  s->setSuffix(QStringLiteral(":00"));
  return s;
}
}  // namespace

TformReporter::TformReporter(QString dataPath, const Request& first)
    : dataPath_(std::move(dataPath)) {
  setWindowTitle(QStringLiteral("Quietmark Reporter"));
  resize(1200, 780);

  listMonitors_ = new QListWidget;
  listMonitors_->setMaximumWidth(240);
  for (const MonitorInfo& m : ListMonitors(dataPath_)) {
    auto* item =
        new QListWidgetItem(m.name.isEmpty() ? m.id : m.id + QStringLiteral("  ") + m.name);
    item->setData(Qt::UserRole, m.id);
    item->setToolTip(m.type);
    listMonitors_->addItem(item);
    if (m.id == first.id) listMonitors_->setCurrentItem(item);
  }
  if (!listMonitors_->currentItem() && listMonitors_->count()) listMonitors_->setCurrentRow(0);

  editDay_ = new QDateEdit(first.day.isValid() ? first.day : QDate::currentDate().addDays(-1));
  editDay_->setCalendarPopup(true);
  editDay_->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
  comboKind_ = new QComboBox;
  comboKind_->addItems({QStringLiteral("Day"), QStringLiteral("Week"), QStringLiteral("Month")});
  comboKind_->setCurrentIndex(int(first.kind));
  comboInterval_ = new QComboBox;
  for (const int m : {5, 15, 30, 60}) comboInterval_->addItem(QStringLiteral("%1 min").arg(m), m);
  comboInterval_->setCurrentIndex(comboInterval_->findData(first.interval));
  spinDay_ = HourBox(first.bounds.day);
  spinEvening_ = HourBox(first.bounds.evening);
  spinNight_ = HourBox(first.bounds.night);

  btnPdf_ = new QPushButton(QStringLiteral("Save PDF..."));
  btnCsv_ = new QPushButton(QStringLiteral("Save CSV..."));
  btnChart_ = new QPushButton(QStringLiteral("Save Chart..."));
  progress_ = new QProgressBar;
  progress_->setMaximumWidth(220);
  lblMessage_ = new QLabel;
  lblMessage_->setStyleSheet(QStringLiteral("color: #a00000; font-weight: bold"));
  lblHeader_ = new QLabel;
  lblHeader_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  lblHeader_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  chart_ = new ChartView;
  chart_->setMinimumHeight(260);
  tabs_ = new QTabWidget;

  auto* controls = new QHBoxLayout;
  for (auto [text, w] :
       std::initializer_list<std::pair<const char*, QWidget*>>{{"Date", editDay_},
                                                               {"Report", comboKind_},
                                                               {"Interval", comboInterval_},
                                                               {"Day from", spinDay_},
                                                               {"Evening from", spinEvening_},
                                                               {"Night from", spinNight_}}) {
    controls->addWidget(new QLabel(QString::fromLatin1(text)));
    controls->addWidget(w);
  }
  controls->addStretch();
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnPdf_);
  buttons->addWidget(btnCsv_);
  buttons->addWidget(btnChart_);
  buttons->addWidget(progress_);
  buttons->addWidget(lblMessage_, 1);

  auto* right = new QVBoxLayout;
  right->addLayout(controls);
  right->addLayout(buttons);
  auto* top = new QHBoxLayout;
  top->addWidget(lblHeader_);
  top->addWidget(chart_, 1);
  right->addLayout(top, 2);
  right->addWidget(tabs_, 3);
  auto* root = new QHBoxLayout(this);
  root->addWidget(listMonitors_);
  root->addLayout(right, 1);

  connect(listMonitors_, &QListWidget::currentRowChanged, this, &TformReporter::Reload);
  connect(editDay_, &QDateEdit::dateChanged, this, &TformReporter::Reload);
  for (QComboBox* c : {comboKind_, comboInterval_})
    connect(c, &QComboBox::currentIndexChanged, this, &TformReporter::Reload);
  for (QSpinBox* s : {spinDay_, spinEvening_, spinNight_})
    connect(s, &QSpinBox::valueChanged, this, &TformReporter::Reload);
  connect(btnPdf_, &QPushButton::clicked, this, [this] {
    SaveAs(QStringLiteral("Save PDF"), QStringLiteral("PDF (*.pdf)"), QStringLiteral(".pdf"), 0);
  });
  connect(btnCsv_, &QPushButton::clicked, this, [this] {
    SaveAs(QStringLiteral("Save CSV"), QStringLiteral("CSV (*.csv)"), QStringLiteral(".csv"), 1);
  });
  connect(btnChart_, &QPushButton::clicked, this, [this] {
    SaveAs(QStringLiteral("Save Chart"), QStringLiteral("PNG (*.png)"), QStringLiteral(".png"), 2);
  });
  if (listMonitors_->count() == 0)
    lblMessage_->setText(QStringLiteral("No monitor folders in ") + dataPath_);
  Reload();
}

TformReporter::~TformReporter() {
  if (worker_) {
    cancel_->store(true);
    worker_->wait();
    delete worker_;
  }
}

void TformReporter::Reload() {
  for (QPushButton* b : {btnPdf_, btnCsv_, btnChart_}) b->setEnabled(false);
  QListWidgetItem* item = listMonitors_->currentItem();
  if (!item) return;
  Request q;
  q.dataPath = dataPath_;
  q.id = item->data(Qt::UserRole).toString();
  q.day = editDay_->date();
  q.kind = Kind(comboKind_->currentIndex());
  q.interval = comboInterval_->currentData().toInt();
  q.bounds = {spinDay_->value(), spinEvening_->value(), spinNight_->value()};
  if (!q.bounds.Valid()) {
    lblMessage_->setText(
        QStringLiteral("The periods must start in the order day < evening < night"));
    return;
  }
  pending_ = q;
  if (worker_)
    cancel_->store(true);  // the newest choice starts when this run has stopped
  else
    StartPending();
}

void TformReporter::StartPending() {
  if (!pending_) return;
  const Request q = *pending_;
  pending_.reset();
  cancel_ = std::make_shared<std::atomic_bool>(false);
  const auto cancel = cancel_;
  lblMessage_->setText(QStringLiteral("Reading..."));
  progress_->setValue(0);
  worker_ = QThread::create([this, q, cancel] {
    auto r = std::make_shared<const Report>(BuildReport(
        q,
        [this](int done, int total) {
          QMetaObject::invokeMethod(
              this,
              [this, done, total] {
                progress_->setMaximum(total);
                progress_->setValue(done);
              },
              Qt::QueuedConnection);
        },
        cancel.get()));
    QMetaObject::invokeMethod(
        this,
        [this, r, cancel] {
          if (!cancel->load()) ShowReport(r);
        },
        Qt::QueuedConnection);
  });
  connect(worker_, &QThread::finished, this, [this] {
    worker_->deleteLater();
    worker_ = nullptr;
    StartPending();
  });
  worker_->start();
}

void TformReporter::ShowReport(std::shared_ptr<const Report> r) {
  report_ = std::move(r);
  const Report& rep = *report_;
  lblHeader_->setText(HeaderText(rep) + (rep.dstNotes.isEmpty()
                                             ? QString()
                                             : QStringLiteral("\n") + rep.dstNotes.join('\n')));
  const bool data = rep.HasData();
  lblMessage_->setText(
      data
          ? (rep.notes.isEmpty() ? QString()
                                 : QStringLiteral("%1 file(s) could not be read whole: see Notes")
                                       .arg(rep.notes.size()))
          : QStringLiteral("No data for %1 from %2 to %3")
                .arg(rep.request.id, rep.from.toString(Qt::ISODate), rep.to.toString(Qt::ISODate)));
  for (QPushButton* b : {btnPdf_, btnCsv_, btnChart_}) b->setEnabled(data);

  const int keep = tabs_->currentIndex();
  while (tabs_->count()) {
    QWidget* w = tabs_->widget(0);
    tabs_->removeTab(0);
    delete w;
  }
  QList<TextTable> tables = Tables(rep);
  if (!rep.notes.isEmpty()) {
    TextTable notes;
    notes.title = QStringLiteral("Notes");
    notes.columns = {QStringLiteral("file")};
    for (const QString& n : rep.notes) notes.rows.append({n});
    tables.append(notes);
  }
  for (const TextTable& t : tables) {
    auto* grid = new QTableWidget(int(t.rows.size()), int(t.columns.size()));
    grid->setHorizontalHeaderLabels(t.columns);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->setVisible(false);
    for (int r = 0; r < t.rows.size(); ++r)
      for (int c = 0; c < t.rows[r].size() && c < t.columns.size(); ++c)
        grid->setItem(r, c, new QTableWidgetItem(t.rows[r][c]));
    grid->resizeColumnsToContents();
    if (!t.footnote.isEmpty()) grid->setToolTip(t.footnote);
    QString title = t.title;
    if (title.startsWith(QLatin1String("Periodic records, ")))
      title = QStringLiteral("Per ") + title.mid(18);
    tabs_->addTab(grid, title);
  }
  tabs_->setCurrentIndex(std::clamp(keep, 0, tabs_->count() - 1));
  chart_->SetReport(report_);
}

void TformReporter::SaveAs(const QString& caption, const QString& filter, const QString& suffix,
                           int which) {
  if (!report_) return;
  const Report& r = *report_;
  const QString name = QStringLiteral("%1-%2-%3%4")
                           .arg(r.request.id, KindName(r.request.kind).toLower(),
                                r.from.toString(Qt::ISODate), suffix);
  const QString path = QFileDialog::getSaveFileName(this, caption, name, filter);
  if (path.isEmpty()) return;
  Outputs o;
  (which == 0 ? o.pdf : which == 1 ? o.csv : o.png) = path;
  QString error;
  if (!WriteOutputs(r, o, &error))
    QMessageBox::critical(this, QStringLiteral("Quietmark Reporter"), error);
}
