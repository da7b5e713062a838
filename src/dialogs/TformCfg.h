#pragma once

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QTabWidget;
class TCfg;
class TQmAlert;

// The program's preferences: reads every value from the settings when shown and stores them
// back on OK, each through its setting as the step is reached. The background picture and the
// e-mail test take effect at once, whatever button closes the dialog.
class TformCfg : public QDialog {
  Q_OBJECT
 public:
  // reloadBackground: the main window shows its background afresh after the picture changed.
  TformCfg(TCfg& cfg, TQmAlert& alert, QString appDataFolder,
           std::function<void()> reloadBackground, QWidget* parent = nullptr);

  void btnOKClick();
  void btnMailTestClick();
  void btnBackgroundClick();
  void btnRemoveImageClick();
  void btnDirClick();
  void btnHelpClick();

  // Seams for the tests: the error box, the Yes/No question, the file and folder pickers (empty
  // when cancelled) and the help viewer.
  std::function<void(const QString& text)> showError;
  std::function<bool(const QString& text)> confirm;
  std::function<QString()> pickImage;
  std::function<QString(const QString& start)> pickFolder;
  std::function<void(const QString& page)> showHelp;

  // The controls, by the names the settings are known by.
  QTabWidget* tabs = nullptr;
  QWidget* tabDisplay = nullptr;
  QWidget* tabCharts = nullptr;
  QWidget* tabEmail = nullptr;
  QWidget* tabSmtp = nullptr;
  QWidget* tabNetwork = nullptr;
  QWidget* tabClockSync = nullptr;
  QPushButton* btnBackground = nullptr;
  QPushButton* btnRemoveImage = nullptr;
  QCheckBox* chkStartWithWin = nullptr;
  QCheckBox* chkSysTray = nullptr;
  QCheckBox* chkNotify = nullptr;
  QLineEdit* editDataPath = nullptr;
  QPushButton* btnDir = nullptr;
  QRadioButton* radYAxisRemote = nullptr;
  QRadioButton* radYAxisAuto = nullptr;
  QRadioButton* radYAxisFixed = nullptr;
  QSlider* trackbarMin = nullptr;
  QSlider* trackbarMax = nullptr;
  QLabel* lblMin = nullptr;
  QLabel* lblMax = nullptr;
  QCheckBox* chkAlertByEmail = nullptr;
  QWidget* panelEmail = nullptr;
  QLineEdit* editMailTo = nullptr;
  QLineEdit* editAlertFrom = nullptr;
  QComboBox* comboAlertRate = nullptr;
  QPushButton* btnMailTest = nullptr;
  QLabel* lblMailStat = nullptr;
  QLineEdit* editSmtpHost = nullptr;
  QLineEdit* editSmtpUser = nullptr;
  QLineEdit* editSmtpPwd = nullptr;
  QComboBox* comboSmtpPort = nullptr;
  QCheckBox* chkSmtpSSL = nullptr;
  QLineEdit* editPort = nullptr;
  QCheckBox* chkClockSync = nullptr;
  QLabel* lblClockSyncRestart = nullptr;
  QPushButton* btnHelp = nullptr;
  QPushButton* btnOK = nullptr;
  QPushButton* btnCancel = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void BuildProgramTab();
  void BuildChartsTab();
  void BuildEmailTab();
  void BuildSmtpTab();
  void BuildNetworkTab();
  void BuildClockSyncTab();
  void FormShow();
  void ShowAlertControls(bool on);
  void trackbarMinChange(int position);
  void trackbarMaxChange(int position);
  // The SMTP account fields, as OK and the e-mail test store them.
  void StoreSmtpAccount();
  bool ImageExists() const;

  TCfg& cfg_;
  TQmAlert& alert_;
  QString appDataFolder_;
  std::function<void()> reloadBackground_;
};
