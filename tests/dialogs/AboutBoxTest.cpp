#include "core/UpdateCheck.h"
#include "dialogs/ClickLabel.h"
#include "dialogs/TformAbout.h"
#include "dialogs/UpdateServer.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

constexpr char kChecking[] = "Checking for updates...";

class AboutBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!QFile::exists("/usr/bin/python3")) GTEST_SKIP() << "needs /usr/bin/python3";
    // The check goes straight to the loopback server, never through a proxy.
    for (const char* v : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"}) qunsetenv(v);
  }
  void TearDown() override { qunsetenv("QMSV_UPDATE_URL"); }

  // Opens the box with the update server at `url`; its check starts a second later.
  void Open(const QString& url) {
    qputenv("QMSV_UPDATE_URL", url.toUtf8());
    box = std::make_unique<TformAbout>(nullptr, "en-US");
    box->openUrl = [this](const QString& u) {
      opened << u;
      return true;
    };
    box->show();
  }
  // Opens the box against `url` and waits for the check's outcome.
  QString CheckAgainst(const QString& url, int waitMs = 8000) {
    Open(url);
    qmtest::WaitFor([&] { return box->lblUpdate()->text() != kChecking; }, waitMs);
    return box->lblUpdate()->text();
  }

  QTemporaryDir dir;
  std::unique_ptr<TformAbout> box;
  QStringList opened;
};

TEST_F(AboutBoxTest, RequestIsAFormPostOfTheLocalTime) {
  qmtest::UpdateServer server(dir, "200", "1.3.1");
  ASSERT_NE(server.Port(), 0);
  const QByteArray expected = UpdateRequestBody(QDateTime::currentDateTime());
  EXPECT_EQ(CheckAgainst(server.Url()), "Program is up to date");
  const QList<QStringList> requests = server.Requests();
  ASSERT_EQ(requests.size(), 1);
  ASSERT_EQ(requests[0].size(), 3);
  EXPECT_EQ(requests[0][0], "/install/");
  EXPECT_EQ(requests[0][1], "application/x-www-form-urlencoded");
  const QString body = requests[0][2];
  ASSERT_TRUE(body.startsWith("action=svver&x=")) << body.toStdString();
  const qint64 sent = body.mid(15).toLongLong();
  const qint64 want = expected.mid(15).toLongLong();
  EXPECT_GE(sent, want);
  EXPECT_LE(sent, want + 5);
}

TEST_F(AboutBoxTest, RepliesDecideTheLabel) {
  struct Case {
    QByteArray status;
    QByteArray body;
    const char* label;
  };
  const Case cases[] = {
      {"200", "1.3.2", "New version available"},
      {"200", "1.3.2\r\n", "New version available"},
      {"200", "1.3.1", "Program is up to date"},
      {"200", "<html><body><h1>Install</h1></body></html>", "Program is up to date"},
      {"500", "1.3.2", "Failed to contact server"},
      {"404", "1.4.0", "Failed to contact server"},
      // Far too large for a version number.
      {"200", "1.3.2" + QByteArray(70 * 1024, ' '), "Failed to contact server"},
  };
  for (const Case& c : cases) {
    QTemporaryDir caseDir;
    qmtest::UpdateServer server(caseDir, c.status, c.body);
    ASSERT_NE(server.Port(), 0);
    EXPECT_EQ(CheckAgainst(server.Url()), c.label)
        << c.status.constData() << " " << c.body.left(20).constData();
    EXPECT_EQ(box->lblUpdate()->LinkStyle(), c.label == std::string("New version available"));
  }
}

TEST_F(AboutBoxTest, NewVersionLinkOpensInstallPageAndCloses) {
  qmtest::UpdateServer server(dir, "200", "2.0.0");
  ASSERT_NE(server.Port(), 0);
  ASSERT_EQ(CheckAgainst(server.Url()), "New version available");
  EXPECT_EQ(box->lblUpdate()->cursor().shape(), Qt::PointingHandCursor);
  QTest::mouseClick(box->lblUpdate(), Qt::LeftButton);
  EXPECT_EQ(opened, QStringList{server.Url() + "/install/"});
  EXPECT_FALSE(box->isVisible());
}

TEST_F(AboutBoxTest, NoServerFails) {
  const quint16 port = qmtest::FreePort();
  EXPECT_EQ(CheckAgainst(QStringLiteral("http://127.0.0.1:%1").arg(port)),
            "Failed to contact server");
}

TEST_F(AboutBoxTest, SilentServerTimesOutWhileTheBoxStaysResponsive) {
  qmtest::UpdateServer server(dir, "hang", "");
  ASSERT_NE(server.Port(), 0);
  Open(server.Url());
  ASSERT_TRUE(qmtest::WaitFor([&] { return box->Check() != nullptr; }, 3000));
  QElapsedTimer started;
  started.start();
  // The event loop keeps turning: a 50 ms timer never waits much longer than that.
  QElapsedTimer sinceTick;
  sinceTick.start();
  qint64 longestGap = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout,
                   [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
  ticker.start(50);
  ASSERT_TRUE(qmtest::WaitFor([&] { return box->lblUpdate()->text() != kChecking; }, 9000));
  const qint64 took = started.elapsed();
  EXPECT_EQ(box->lblUpdate()->text(), "Failed to contact server");
  EXPECT_GE(took, 4500);
  EXPECT_LE(took, 6500);
  EXPECT_LT(longestGap, 500);
  EXPECT_EQ(server.Requests().size(), 1);
}

TEST_F(AboutBoxTest, ClosingCancelsTheCheck) {
  qmtest::UpdateServer server(dir, "hang", "");
  ASSERT_NE(server.Port(), 0);
  Open(server.Url());
  ASSERT_TRUE(qmtest::WaitFor([&] { return server.Requests().size() == 1; }, 5000));
  QElapsedTimer closing;
  closing.start();
  box->btnClose()->click();
  EXPECT_LT(closing.elapsed(), 500);
  EXPECT_FALSE(box->isVisible());
  EXPECT_EQ(box->Check(), nullptr);
  // Nothing arrives at the closed box, not even after the time-out.
  qmtest::WaitFor([] { return false; }, 300);
  EXPECT_EQ(box->lblUpdate()->text(), kChecking);
  box.reset();
}

TEST_F(AboutBoxTest, LinksAndLocale) {
  TformAbout us(nullptr, "en-US");
  TformAbout uk(nullptr, "en-GB");
  EXPECT_EQ(us.windowTitle(), "About Quietmark Supervisor");
  EXPECT_NE(us.sWebUrl(), uk.sWebUrl());
  EXPECT_EQ(us.lblLinkWeb()->text(), us.sWebUrl());
  EXPECT_EQ(uk.lblLinkWeb()->text(), uk.sWebUrl());
  EXPECT_EQ(uk.sWebUrl(), WebSiteFor("en-GB"));
  EXPECT_EQ(WebSiteFor("en-AU"), us.sWebUrl());
  QStringList opened;
  us.openUrl = [&](const QString& u) {
    opened << u;
    return true;
  };
  QTest::mouseClick(us.lblLinkWeb(), Qt::LeftButton);
  QTest::mouseClick(us.lblLinkEmail(), Qt::LeftButton);
  // Before a new version is found the update label is no link.
  QTest::mouseClick(us.lblUpdate(), Qt::LeftButton);
  ASSERT_EQ(opened.size(), 2);
  EXPECT_EQ(opened[0], "https://" + us.sWebUrl());
  EXPECT_TRUE(opened[1].startsWith("mailto:" + us.lblLinkEmail()->text() + "?"));
  EXPECT_TRUE(opened[1].endsWith("?subject=Quietmark%20Supervisor%20v1.3.1"));
  EXPECT_TRUE(us.btnClose()->isDefault());
}

}  // namespace
