#include "core/IniFile.h"
#include "core/TCfg.h"
#include "dialogs/TformCfg.h"
#include "live/AlertFakes.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

// The dialog on settings in a temporary folder, with its boxes, pickers and help recorded.
class TformCfgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env = qmtest::TempEnv(dir);
    env.showError = [this](const QString& text) { errors << text; };
    cfg = std::make_unique<TCfg>(env);
    sender = std::make_shared<FakeSender>();
    auto t = std::make_unique<FakeAlertTimer>();
    timer = t.get();
    alert = std::make_unique<TQmAlert>(*cfg, sender, std::move(t));
  }
  void TearDown() override {
    sender->Release();
    dlg.reset();
    alert.reset();
  }

  // The dialog as the menu shows it, after the settings were prepared.
  TformCfg& Show() {
    dlg = std::make_unique<TformCfg>(*cfg, *alert, env.appDataFolder, [this] { ++reloads; });
    dlg->showError = [this](const QString& text) { errors << text; };
    dlg->confirm = [this](const QString& text) {
      questions << text;
      return answer;
    };
    dlg->pickImage = [this] { return pickedImage; };
    dlg->pickFolder = [this](const QString& start) {
      folderStarts << start;
      return pickedFolder;
    };
    dlg->showHelp = [this](const QString& page) { helpPages << page; };
    dlg->show();
    return *dlg;
  }
  // OK; true when the dialog closed.
  bool Ok() {
    dlg->btnOK->click();
    return dlg->result() == QDialog::Accepted && !dlg->isVisible();
  }
  QString Stored(const char* section, const char* key) {
    return IniFile(cfg->SettingsPath()).ReadString(section, key, "<none>");
  }
  bool SmtpTabShown() { return dlg->tabs->isTabVisible(dlg->tabs->indexOf(dlg->tabSmtp)); }

  QTemporaryDir dir;
  TCfg::Env env;
  std::unique_ptr<TCfg> cfg;
  std::shared_ptr<FakeSender> sender;
  FakeAlertTimer* timer = nullptr;
  std::unique_ptr<TQmAlert> alert;
  std::unique_ptr<TformCfg> dlg;
  QStringList errors, questions, folderStarts, helpPages;
  bool answer = true;
  QString pickedImage, pickedFolder;
  int reloads = 0;
};

TEST_F(TformCfgTest, ShowsEveryStoredValue) {
  cfg->SetSysTray(true);
  cfg->SetNotify(true);
  cfg->SetStartWithWin(true);
  cfg->SetPort(4711);
  cfg->SetYAxisScale(yasAuto);
  cfg->SetYAxisMin(40);
  cfg->SetYAxisMax(100);
  cfg->SetAlertByEmail(true);
  cfg->SetAlertEmails("ops@example.org; night@example.org");
  cfg->SetAlertFrom("sv@example.org");
  cfg->SetAlertRate(30);
  cfg->SetSmtpHost("mail.example.org");
  cfg->SetSmtpUser("sv");
  cfg->SetSmtpPwd("s3cret");
  cfg->SetSmtpPort(465);
  cfg->SetSmtpSSL(true);
  cfg->SetClockSync(true);
  TformCfg& d = Show();

  EXPECT_EQ(d.windowTitle(), "Quietmark Supervisor Settings");
  QStringList tabNames;
  for (int i = 0; i < d.tabs->count(); ++i) tabNames << d.tabs->tabText(i);
  EXPECT_EQ(tabNames,
            QStringList({"Program", "Charts", "Email Alerts", "SMTP", "Network", "Clock Sync"}));
  EXPECT_EQ(d.editDataPath->text(), cfg->DataPath());
  EXPECT_FALSE(d.editDataPath->text().isEmpty());
  EXPECT_FALSE(d.btnRemoveImage->isEnabled());  // no picture yet
  EXPECT_TRUE(d.chkSysTray->isChecked());
  EXPECT_TRUE(d.chkNotify->isChecked());
  EXPECT_TRUE(d.chkNotify->isEnabled());
  EXPECT_TRUE(d.chkStartWithWin->isChecked());
  EXPECT_TRUE(d.radYAxisAuto->isChecked());
  EXPECT_EQ(d.trackbarMin->value(), 40);
  EXPECT_EQ(d.trackbarMax->value(), 100);
  EXPECT_EQ(d.lblMin->text(), "40 dB");
  EXPECT_EQ(d.lblMax->text(), "100 dB");
  EXPECT_FALSE(d.trackbarMin->isEnabled());
  EXPECT_FALSE(d.trackbarMax->isEnabled());
  EXPECT_TRUE(d.chkAlertByEmail->isChecked());
  EXPECT_EQ(d.editMailTo->text(), "ops@example.org; night@example.org");
  EXPECT_EQ(d.editAlertFrom->text(), "sv@example.org");
  EXPECT_EQ(d.comboAlertRate->currentText(), "30");
  EXPECT_TRUE(d.editMailTo->isEnabled());
  EXPECT_TRUE(d.btnMailTest->isEnabled());
  EXPECT_EQ(d.lblMailStat->text(), "Click Test button to send an email to the selected addresses.");
  EXPECT_TRUE(SmtpTabShown());
  EXPECT_EQ(d.editSmtpHost->text(), "mail.example.org");
  EXPECT_EQ(d.editSmtpUser->text(), "sv");
  EXPECT_EQ(d.editSmtpPwd->text(), "s3cret");
  EXPECT_EQ(d.editSmtpPwd->echoMode(), QLineEdit::Password);
  EXPECT_EQ(d.comboSmtpPort->currentText(), "465");
  EXPECT_EQ(d.comboSmtpPort->count(), 3);
  EXPECT_TRUE(d.chkSmtpSSL->isChecked());
  EXPECT_EQ(d.editPort->text(), "4711");
  EXPECT_TRUE(d.chkClockSync->isChecked());
  EXPECT_FALSE(d.lblClockSyncRestart->isVisible());
  EXPECT_TRUE(d.btnOK->isDefault());
}

TEST_F(TformCfgTest, NotificationsFollowTheTrayBox) {
  cfg->SetSysTray(false);
  cfg->SetNotify(true);
  TformCfg& d = Show();
  // The stored value shows but cannot be changed until the tray box is ticked.
  EXPECT_TRUE(d.chkNotify->isChecked());
  EXPECT_FALSE(d.chkNotify->isEnabled());
  d.chkSysTray->click();
  EXPECT_TRUE(d.chkNotify->isEnabled());
  d.chkNotify->click();
  d.chkSysTray->click();
  EXPECT_FALSE(d.chkNotify->isEnabled());
  ASSERT_TRUE(Ok());
  EXPECT_FALSE(cfg->SysTray());
  EXPECT_FALSE(cfg->Notify());
}

TEST_F(TformCfgTest, TrackbarsKeepTenDbApartAndOkStoresWhatTheyShow) {
  cfg->SetYAxisScale(yasFixed);
  cfg->SetYAxisMin(60);
  cfg->SetYAxisMax(80);
  TformCfg& d = Show();
  EXPECT_TRUE(d.trackbarMin->isEnabled());
  d.trackbarMin->setValue(75);
  EXPECT_EQ(d.trackbarMax->value(), 85);
  EXPECT_EQ(d.lblMin->text(), "75 dB");
  EXPECT_EQ(d.lblMax->text(), "85 dB");
  d.trackbarMax->setValue(70);
  EXPECT_EQ(d.trackbarMin->value(), 60);
  EXPECT_EQ(d.lblMin->text(), "60 dB");
  EXPECT_EQ(d.lblMax->text(), "70 dB");
  // The radio buttons switch both trackbars; the positions are stored whatever the scale.
  d.radYAxisRemote->click();
  EXPECT_FALSE(d.trackbarMin->isEnabled());
  EXPECT_FALSE(d.trackbarMax->isEnabled());
  d.radYAxisFixed->click();
  EXPECT_TRUE(d.trackbarMax->isEnabled());
  d.radYAxisAuto->click();
  ASSERT_TRUE(Ok());
  EXPECT_EQ(cfg->YAxisMin(), 60);
  EXPECT_EQ(cfg->YAxisMax(), 70);
  EXPECT_EQ(cfg->YAxisScale(), yasAuto);
  EXPECT_EQ(Stored("chart", "ymin"), "60");
  EXPECT_EQ(Stored("chart", "ymax"), "70");
  EXPECT_EQ(Stored("chart", "yscale"), "1");
}

TEST_F(TformCfgTest, StoredTrackbarPositionsAreClampedToTheirRanges) {
  // Values a setter let through; reading the file at start would have reset them.
  cfg->SetYAxisMin(5);
  cfg->SetYAxisMax(200);
  TformCfg& d = Show();
  EXPECT_EQ(d.trackbarMin->value(), 10);
  EXPECT_EQ(d.trackbarMax->value(), 140);
}

TEST_F(TformCfgTest, AnUnlistedAlertRateShowsAndStoresTen) {
  cfg->SetAlertByEmail(true);
  cfg->SetAlertRate(15);
  TformCfg& d = Show();
  EXPECT_EQ(d.comboAlertRate->currentText(), "10");
  ASSERT_TRUE(Ok());
  EXPECT_EQ(cfg->AlertRate(), 10);
  EXPECT_EQ(Stored("alerts", "rate"), "10");
}

TEST_F(TformCfgTest, PortTexts) {
  const struct {
    const char* text;
    bool accepted;
  } cases[] = {{"0", true},   {"65535", true}, {"65536", false},
               {"-1", false}, {"", false},     {"5394x", false}};
  for (const auto& c : cases) {
    cfg->SetPort(53941);
    cfg->SetSysTray(false);
    errors.clear();
    TformCfg& d = Show();
    d.editPort->setText(c.text);
    d.chkSysTray->setChecked(true);
    EXPECT_EQ(Ok(), c.accepted) << c.text;
    EXPECT_EQ(errors, c.accepted ? QStringList() : QStringList{"Invalid port number"}) << c.text;
    EXPECT_EQ(cfg->Port(), c.accepted ? QString(c.text).toInt() : 53941) << c.text;
    // The other values are stored either way.
    EXPECT_TRUE(cfg->SysTray()) << c.text;
  }
}

TEST_F(TformCfgTest, AlertAddressListOnOk) {
  const struct {
    const char* list;
    bool valid;
  } cases[] = {{"a@b.cc", true},           {"a@b.c", false}, {"@b.cc", false},
               {"a@.cc", false},           {"ab@cc", false}, {"a@b.cc; c@d.ee", true},
               {"a@b.cc; c@d.ee;", false}, {"", true}};
  for (const auto& c : cases) {
    cfg->SetAlertByEmail(true);
    cfg->SetAlertEmails("old@example.org");
    cfg->SetAlertRate(10);
    errors.clear();
    TformCfg& d = Show();
    d.editMailTo->setText(c.list);
    d.comboAlertRate->setCurrentText("60");
    d.editSmtpHost->setText("mail.example.org");
    EXPECT_EQ(Ok(), c.valid) << c.list;
    EXPECT_EQ(errors, c.valid ? QStringList() : QStringList{"Invalid email address for alerts"})
        << c.list;
    EXPECT_EQ(cfg->AlertEmails(), c.valid ? QString(c.list) : "old@example.org") << c.list;
    // The rate and the fields after the check are stored even when the list is refused.
    EXPECT_EQ(cfg->AlertRate(), 60) << c.list;
    EXPECT_EQ(cfg->SmtpHost(), "mail.example.org") << c.list;
  }
}

TEST_F(TformCfgTest, BothErrorsPortFirstAndTheRestStored) {
  cfg->SetAlertByEmail(true);
  cfg->SetAlertEmails("old@example.org");
  TformCfg& d = Show();
  const QString folder = dir.path() + "/elsewhere";
  d.editDataPath->setText(folder);
  d.editPort->setText("70000");
  d.editMailTo->setText("a@b.cc;");
  d.editAlertFrom->setText("not an address");  // never checked
  d.editSmtpUser->setText("user");
  d.editSmtpPwd->setText("pwd");
  d.chkClockSync->click();
  EXPECT_FALSE(Ok());
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(errors, QStringList({"Invalid port number", "Invalid email address for alerts"}));
  EXPECT_EQ(cfg->Port(), 53941);  // unchanged
  EXPECT_EQ(cfg->AlertEmails(), "old@example.org");
  EXPECT_EQ(cfg->DataPath(), folder + "/");
  EXPECT_TRUE(QDir(folder).exists());
  EXPECT_EQ(cfg->AlertFrom(), "not an address");
  EXPECT_EQ(cfg->SmtpUser(), "user");
  EXPECT_EQ(cfg->SmtpPwd(), "pwd");
  EXPECT_TRUE(cfg->ClockSync());

  // Cancel after that stores nothing more.
  d.editPort->setText("1234");
  d.editSmtpUser->setText("other");
  d.btnCancel->click();
  EXPECT_EQ(d.result(), QDialog::Rejected);
  EXPECT_EQ(cfg->Port(), 53941);
  EXPECT_EQ(Stored("alerts", "smtpuser"), "user");
}

TEST_F(TformCfgTest, UntickingAlertsKeepsTheStoredListAndRate) {
  cfg->SetAlertByEmail(true);
  cfg->SetAlertEmails("ops@example.org");
  cfg->SetAlertRate(5);
  TformCfg& d = Show();
  EXPECT_TRUE(SmtpTabShown());
  d.chkAlertByEmail->click();
  // The panel and the SMTP tab go with the box.
  EXPECT_FALSE(SmtpTabShown());
  for (QWidget* w : std::initializer_list<QWidget*>{d.editMailTo, d.editAlertFrom, d.comboAlertRate,
                                                    d.btnMailTest})
    EXPECT_FALSE(w->isEnabled());
  d.editMailTo->setText("broken;");
  d.comboAlertRate->setCurrentText("60");
  ASSERT_TRUE(Ok());
  EXPECT_TRUE(errors.isEmpty());
  EXPECT_FALSE(cfg->AlertByEmail());
  EXPECT_EQ(Stored("alerts", "byemail"), "0");
  EXPECT_EQ(cfg->AlertEmails(), "ops@example.org");
  EXPECT_EQ(cfg->AlertRate(), 5);

  TformCfg& again = Show();
  EXPECT_FALSE(SmtpTabShown());
  EXPECT_FALSE(again.editMailTo->isEnabled());
  again.chkAlertByEmail->click();
  EXPECT_TRUE(SmtpTabShown());
  EXPECT_TRUE(again.editMailTo->isEnabled());
}

TEST_F(TformCfgTest, SmtpPortList) {
  const struct {
    int stored;
    QStringList entries;
  } cases[] = {{25, {"25", "465", "587"}},
               {587, {"25", "465", "587"}},
               {2525, {"25", "465", "587", "2525"}}};
  for (const auto& c : cases) {
    cfg->SetSmtpPort(c.stored);
    TformCfg& d = Show();
    QStringList entries;
    for (int i = 0; i < d.comboSmtpPort->count(); ++i) entries << d.comboSmtpPort->itemText(i);
    EXPECT_EQ(entries, c.entries);
    EXPECT_EQ(d.comboSmtpPort->currentText(), QString::number(c.stored));
    // OK keeps a port it does not list.
    ASSERT_TRUE(Ok());
    EXPECT_EQ(cfg->SmtpPort(), c.stored);
  }
  TformCfg& d = Show();
  d.comboSmtpPort->setCurrentText("465");
  ASSERT_TRUE(Ok());
  EXPECT_EQ(Stored("alerts", "smtpport"), "465");
}

TEST_F(TformCfgTest, ClockSyncClickShowsTheRestartWarning) {
  for (bool stored : {false, true}) {
    cfg->SetClockSync(stored);
    TformCfg& d = Show();
    d.tabs->setCurrentWidget(d.tabClockSync);
    EXPECT_FALSE(d.lblClockSyncRestart->isVisible());
    d.chkClockSync->click();
    EXPECT_TRUE(d.lblClockSyncRestart->isVisible()) << stored;
    EXPECT_NE(d.lblClockSyncRestart->styleSheet().indexOf("red"), -1);
    ASSERT_TRUE(Ok());
    EXPECT_EQ(cfg->ClockSync(), !stored);
  }
}

TEST_F(TformCfgTest, MailTestStoresTheFieldsAndStartsTheSend) {
  TformCfg& d = Show();
  d.chkAlertByEmail->click();
  d.editMailTo->setText("ops@example.org; night@example.org");
  d.editAlertFrom->setText("sv@example.org");
  d.editSmtpHost->setText("127.0.0.1");
  d.comboSmtpPort->setCurrentText("587");
  d.editSmtpUser->setText("sv");
  d.editSmtpPwd->setText("secret");
  d.chkSmtpSSL->click();
  // An earlier alert's rate limit does not hold the test back.
  timer->Start(600000);
  sender->hold = true;
  d.btnMailTest->click();
  EXPECT_EQ(d.lblMailStat->text(), "Mail sent, check your inbox");
  ASSERT_TRUE(qmtest::WaitFor([&] { return sender->Mails().size() == 1; }));
  const TAlertMail mail = sender->Mails()[0].mail;
  EXPECT_EQ(mail.sHost, "127.0.0.1");
  EXPECT_EQ(mail.nPort, 587);
  EXPECT_EQ(mail.sPwd, "secret");
  ASSERT_EQ(sender->Mails()[0].lines.size(), 1);
  EXPECT_TRUE(sender->Mails()[0].lines[0].endsWith(" Test message from Quietmark Supervisor"));
  for (const auto& [key, value] : std::initializer_list<std::pair<const char*, const char*>>{
           {"email", "ops@example.org; night@example.org"},
           {"from", "sv@example.org"},
           {"smtphost", "127.0.0.1"},
           {"smtpport", "587"},
           {"smtpuser", "sv"},
           {"smtppwd", "secret"},
           {"smtpssl", "1"}})
    EXPECT_EQ(Stored("alerts", key), value) << key;
  EXPECT_EQ(Stored("alerts", "byemail"), "<none>");  // the test leaves the switch alone

  // While that e-mail is still going out a second test fails, its fields stored all the same.
  d.editSmtpUser->setText("second");
  d.btnMailTest->click();
  EXPECT_EQ(d.lblMailStat->text(), "ERROR - FAILED TO SEND TEST EMAIL");
  EXPECT_EQ(Stored("alerts", "smtpuser"), "second");
  sender->Release();
  ASSERT_TRUE(qmtest::WaitFor([&] { return !alert->Sending(); }));

  // Cancel keeps what the tests stored.
  d.btnCancel->click();
  EXPECT_EQ(cfg->SmtpUser(), "second");
  EXPECT_FALSE(cfg->AlertByEmail());
}

TEST_F(TformCfgTest, MailTestWithABadListSendsAndStoresNothing) {
  cfg->SetAlertByEmail(true);
  cfg->SetAlertEmails("ops@example.org");
  TformCfg& d = Show();
  d.editMailTo->setText("ops@example.org;");
  d.editSmtpHost->setText("127.0.0.1");
  d.btnMailTest->click();
  EXPECT_EQ(d.lblMailStat->text(), "Invalid email address for alerts");
  EXPECT_EQ(cfg->AlertEmails(), "ops@example.org");
  EXPECT_EQ(cfg->SmtpHost(), "");
  EXPECT_FALSE(alert->Sending());
  EXPECT_TRUE(sender->Mails().empty());
}

TEST_F(TformCfgTest, BackgroundImageLoadAndRemove) {
  const QString picture = env.appDataFolder + "quietmarksv.jpg";
  const QString source = dir.filePath("mine.jpg");
  {
    QFile f(source);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("jpeg bytes");
  }
  TformCfg& d = Show();
  pickedImage = "";  // cancelled
  d.btnBackground->click();
  EXPECT_EQ(reloads, 0);
  pickedImage = source;
  d.btnBackground->click();
  EXPECT_EQ(reloads, 1);
  EXPECT_TRUE(d.btnRemoveImage->isEnabled());
  QFile copy(picture);
  ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
  EXPECT_EQ(copy.readAll(), "jpeg bytes");
  copy.close();

  pickedImage = dir.filePath("gone.jpg");
  d.btnBackground->click();
  EXPECT_EQ(errors, QStringList{"Failed to make a copy of the selected image file"});
  EXPECT_EQ(reloads, 1);
  EXPECT_TRUE(QFile::exists(picture));

  answer = false;
  d.btnRemoveImage->click();
  EXPECT_EQ(questions, QStringList{"Delete background image?"});
  EXPECT_TRUE(QFile::exists(picture));
  answer = true;
  d.btnRemoveImage->click();
  EXPECT_FALSE(QFile::exists(picture));
  EXPECT_EQ(reloads, 2);
  EXPECT_FALSE(d.btnRemoveImage->isEnabled());

  // Shown again with a picture in place, Remove is offered; Cancel does not undo the picture.
  pickedImage = source;
  d.btnBackground->click();
  d.btnCancel->click();
  EXPECT_TRUE(QFile::exists(picture));
  EXPECT_TRUE(Show().btnRemoveImage->isEnabled());
}

TEST_F(TformCfgTest, DataPathFolderButtonAndBlankField) {
  const QString initial = cfg->DataPath();
  TformCfg& d = Show();
  pickedFolder = dir.path() + "/picked";
  ASSERT_TRUE(QDir().mkpath(pickedFolder));
  d.btnDir->click();
  EXPECT_EQ(folderStarts, QStringList{initial});
  EXPECT_EQ(d.editDataPath->text(), pickedFolder);
  EXPECT_EQ(Stored("app", "datapath"), initial);  // nothing stored before OK
  pickedFolder = "";
  d.btnDir->click();  // cancelled: the field stays
  EXPECT_EQ(d.editDataPath->text(), dir.path() + "/picked");
  ASSERT_TRUE(Ok());
  EXPECT_EQ(cfg->DataPath(), dir.path() + "/picked/");

  // A blank field falls back to the default folder.
  TformCfg& again = Show();
  again.editDataPath->clear();
  ASSERT_TRUE(Ok());
  EXPECT_EQ(cfg->DataPath(), initial);
  EXPECT_EQ(Stored("app", "datapath"), initial);
}

TEST_F(TformCfgTest, HelpOpensThePageOfTheActiveTab) {
  cfg->SetAlertByEmail(true);
  TformCfg& d = Show();
  for (QWidget* tab :
       {d.tabDisplay, d.tabCharts, d.tabEmail, d.tabSmtp, d.tabNetwork, d.tabClockSync}) {
    d.tabs->setCurrentWidget(tab);
    d.btnHelp->click();
  }
  EXPECT_EQ(helpPages, QStringList({"preferences/display.html", "preferences/charts.html",
                                    "preferences/email.html", "preferences/network.html"}));
  EXPECT_TRUE(d.isVisible());
}

}  // namespace
