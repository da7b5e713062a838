#include "core/TCfg.h"
#include "dialogs/TformCfg.h"
#include "live/TQmAlert.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QDir>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Pictures of every tab for the documentation, taken from the X screen the way a user sees it.
// Runs only when QMSV_SCREENSHOT_DIR names the output folder (scripts/preferences-screenshots.sh
// runs it under xvfb-run).
TEST(PreferencesScreenshot, EveryTab) {
  const QString out = qEnvironmentVariable("QMSV_SCREENSHOT_DIR");
  if (out.isEmpty()) GTEST_SKIP() << "QMSV_SCREENSHOT_DIR not set";
  QTemporaryDir dir;
  TCfg cfg(qmtest::TempEnv(dir));
  cfg.SetSysTray(true);
  cfg.SetNotify(true);
  cfg.SetYAxisScale(yasFixed);
  cfg.SetAlertByEmail(true);
  cfg.SetAlertEmails("ops@example.org; night@example.org");
  cfg.SetAlertFrom("supervisor@example.org");
  cfg.SetSmtpHost("mail.example.org");
  cfg.SetSmtpUser("supervisor");
  cfg.SetSmtpPwd("secret");
  cfg.SetSmtpPort(587);
  TQmAlert alert(cfg);
  TformCfg d(cfg, alert, dir.path() + "/", {});
  d.move(40, 40);
  d.show();
  QStringList shots;
  for (int i = 0; i < d.tabs->count(); ++i) {
    d.tabs->setCurrentIndex(i);
    if (d.tabs->currentWidget() == d.tabClockSync) d.chkClockSync->click();  // the warning
    qmtest::WaitFor([] { return false; }, 400);
    const QRect g = d.frameGeometry();
    const QString shot = QDir(out).filePath(QString("preferences-%1.png").arg(i));
    ASSERT_EQ(
        QProcess::execute(
            "import", {"-window", "root", "-crop",
                       QString("%1x%2+%3+%4").arg(g.width()).arg(g.height()).arg(g.x()).arg(g.y()),
                       "+repage", shot}),
        0);
    shots << shot;
  }
  // One sheet of all six, three a row.
  ASSERT_EQ(
      QProcess::execute("montage", shots + QStringList{"-tile", "3x", "-geometry", "+6+6",
                                                       QDir(out).filePath("preferences.png")}),
      0);
  for (const QString& s : shots) QFile::remove(s);
}

}  // namespace
