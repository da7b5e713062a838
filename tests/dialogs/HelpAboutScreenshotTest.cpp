// Pictures of the help window and the about box for the documentation. Runs only when
// QMSV_SCREENSHOT_DIR names the folder for them, on a real (virtual) display.
#include "dialogs/ClickLabel.h"
#include "dialogs/TformAbout.h"
#include "dialogs/TformHelp.h"
#include "dialogs/UpdateServer.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextBrowser>

#include <gtest/gtest.h>

namespace {

QString ShotFolder() { return qEnvironmentVariable("QMSV_SCREENSHOT_DIR"); }

// The whole screen, as the user would see it.
void Shoot(const QString& name) {
  qmtest::WaitFor([] { return false; }, 500);
  const QString file = ShotFolder() + "/" + name;
  QGuiApplication::primaryScreen()->grabWindow(0).save(file);
  EXPECT_TRUE(QFile::exists(file)) << file.toStdString();
}

class ScreenshotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (ShotFolder().isEmpty() || QGuiApplication::platformName() == "offscreen")
      GTEST_SKIP() << "set QMSV_SCREENSHOT_DIR and run on a display";
  }
};

TEST_F(ScreenshotTest, HelpOnFirewalls) {
  TformHelp help(QStringLiteral(QMSV_SOURCE_DIR "/help/"));
  help.resize(900, 640);
  help.move(190, 80);
  // QMSV_SCREENSHOT_PAGE shows another page, to look at it.
  const QString page = qEnvironmentVariable("QMSV_SCREENSHOT_PAGE", "network/firewalls.html");
  help.ShowHelp(page);
  Shoot(page == "network/firewalls.html" ? "help-firewalls.png"
                                         : "help-" + QString(page).replace('/', '-') + ".png");
}

TEST_F(ScreenshotTest, AboutAfterCheck) {
  QTemporaryDir dir;
  qmtest::UpdateServer server(dir, "200", "1.4.0");
  ASSERT_NE(server.Port(), 0);
  qputenv("QMSV_UPDATE_URL", server.Url().toUtf8());
  TformAbout about(nullptr, "en-GB");
  about.move(460, 290);
  about.show();
  ASSERT_TRUE(qmtest::WaitFor(
      [&] { return about.lblUpdate()->text() != "Checking for updates..."; }, 8000));
  qunsetenv("QMSV_UPDATE_URL");
  Shoot("about-update.png");
}

}  // namespace
