// Alert e-mails through libcurl against a real mail server (aiosmtpd) started by the test.
#include "core/Clock.h"
#include "live/SmtpSender.h"
#include "live/TQmAlert.h"
#include "support/SmtpServer.h"
#include "support/SupervisorFixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using qmtest::SmtpServer;
using qmtest::WaitFor;

const QString kEmails = "ops@example.org;night@example.org";

class SmtpSendTest : public SupervisorFixture {
 protected:
  static void SetUpTestSuite() {
    certDir_ = new QTemporaryDir;
    QProcess openssl;
    openssl.start("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                              "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1",
                              "-keyout", CertDir() + "/key.pem", "-out", CertDir() + "/cert.pem"});
    openssl.waitForFinished(30000);
  }
  static void TearDownTestSuite() {
    delete certDir_;
    certDir_ = nullptr;
  }
  static QString CertDir() { return certDir_->path(); }
  static QStringList TlsOptions() {
    return {"--tls", CertDir() + "/cert.pem", CertDir() + "/key.pem"};
  }

  void SetUp() override {
    SupervisorFixture::SetUp();
    ASSERT_TRUE(QFile::exists(CertDir() + "/cert.pem"));
    qmclock::SetSource([] { return QDateTime(QDate(2024, 3, 5), QTime(14, 30, 12)); });
    TCfg& cfg = sup->Cfg();
    cfg.SetAlertEmails(kEmails);
    cfg.SetAlertFrom("sv@example.org");
    cfg.SetSmtpHost("127.0.0.1");
    cfg.SetSmtpUser("sv");
    cfg.SetSmtpPwd("secret");
    cfg.SetSmtpSSL(false);
  }
  void TearDown() override {
    alert.reset();
    qmclock::SetSource({});
    SupervisorFixture::TearDown();
  }
  void MakeAlert(bool trustTestCertificate) {
    alert = std::make_unique<TQmAlert>(
        sup->Cfg(), std::make_shared<TCurlSmtpSender>(trustTestCertificate ? CertDir() + "/cert.pem"
                                                                           : QString()));
  }
  // Sends one alert and waits for the send to end; returns its outcome lines of the log.
  std::string SendAndWait(const QString& text) {
    const std::size_t before = sup->Log().Lines().size();
    alert->ResetTimer();
    EXPECT_TRUE(alert->SendAlert(text));
    EXPECT_TRUE(WaitFor([&] { return !alert->Sending(); }, 10000));
    QStringList lines;
    const auto& all = sup->Log().Lines();
    for (std::size_t i = before; i < all.size(); ++i) {
      const QString text = all[i].mid(all[i].indexOf("> ") + 2);
      if (text.startsWith("Alert sent") || text.startsWith("Failed to") ||
          text.startsWith("Exception sending"))
        lines << text;
    }
    return lines.join('|').toStdString();
  }

  static QTemporaryDir* certDir_;
  std::unique_ptr<TQmAlert> alert;
};

QTemporaryDir* SmtpSendTest::certDir_ = nullptr;

// Splits a message into its header lines and its body lines.
std::pair<QStringList, QStringList> Parts(const QString& data) {
  const qsizetype blank = data.indexOf("\r\n\r\n");
  return {data.left(blank).split("\r\n"), data.mid(blank + 4).split("\r\n", Qt::SkipEmptyParts)};
}

TEST_F(SmtpSendTest, PlainSendReachesBothRecipientsWithHeadersAndBody) {
  SmtpServer server({"--user", "sv", "secret"});
  ASSERT_TRUE(server.Ready());
  sup->Cfg().SetSmtpPort(server.Port());
  MakeAlert(false);

  EXPECT_EQ(SendAndWait("Sound level too high - Car park / 1A2B"),
            ("Alert sent to " + kEmails).toStdString());
  // Two more while the rate limit runs go together at its tick.
  EXPECT_FALSE(alert->SendAlert("first"));
  EXPECT_FALSE(alert->SendAlert("second"));
  alert->timerAlertTimer();
  ASSERT_TRUE(WaitFor([&] { return !alert->Sending() && server.Messages().size() == 2; }, 10000));

  const auto messages = server.Messages();
  const QJsonObject& m = messages[0];
  EXPECT_EQ(m["mail_from"].toString(), "sv@example.org");
  EXPECT_EQ(m["rcpt_tos"].toVariant().toStringList(),
            QStringList({"ops@example.org", "night@example.org"}));
  EXPECT_FALSE(m["tls"].toBool());
  EXPECT_EQ(m["auth_mechanism"].toString(), "LOGIN");
  EXPECT_EQ(m["login"].toString(), "sv");
  const auto [headers, body] = Parts(m["data"].toString());
  for (const char* h :
       {"From: sv@example.org", "Sender: sv@example.org", "Reply-To: sv@example.org",
        "Subject: Quietmark Alert", "To: ops@example.org, night@example.org"})
    EXPECT_TRUE(headers.contains(h)) << h << "\n" << headers.join("\n").toStdString();
  EXPECT_EQ(headers.filter(QRegularExpression("^Date: 05 Mar 2024 14:30:12 [+-][0-9]{4}$")).size(),
            1)
      << headers.join("\n").toStdString();
  EXPECT_EQ(body, QStringList{"2024-03-05 14:30:12 Sound level too high - Car park / 1A2B"});
  EXPECT_EQ(Parts(messages[1]["data"].toString()).second,
            QStringList({"2024-03-05 14:30:12 first", "2024-03-05 14:30:12 second"}));
}

TEST_F(SmtpSendTest, RequiredStartTlsSendsOverTls) {
  SmtpServer server(TlsOptions() + QStringList{"--user", "sv", "secret"});
  ASSERT_TRUE(server.Ready());
  sup->Cfg().SetSmtpPort(server.Port());
  sup->Cfg().SetSmtpSSL(true);
  MakeAlert(true);
  EXPECT_EQ(SendAndWait("over tls"), ("Alert sent to " + kEmails).toStdString());
  const auto messages = server.Messages();
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0]["tls"].toBool());
  EXPECT_EQ(messages[0]["auth_mechanism"].toString(), "LOGIN");
}

TEST_F(SmtpSendTest, FailuresEndInTheirLogLineWithoutHanging) {
  const QString sendFailed = "Failed to send alert email to " + kEmails;
  struct Case {
    const char* what;
    bool server, tls, ssl, trust;
    QString pwd, line;
  } cases[] = {
      {"no STARTTLS offered", true, false, true, true, "secret", sendFailed},
      {"certificate not trusted", true, true, true, false, "secret", sendFailed},
      {"wrong password", true, false, false, true, "wrong", sendFailed},
      {"closed port", false, false, false, true, "secret", "Failed to connect to mail server"},
  };
  for (const auto& c : cases) {
    std::unique_ptr<SmtpServer> server;
    if (c.server) {
      server = std::make_unique<SmtpServer>((c.tls ? TlsOptions() : QStringList()) +
                                            QStringList{"--user", "sv", "secret"});
      ASSERT_TRUE(server->Ready()) << c.what;
    }
    sup->Cfg().SetSmtpPort(server ? server->Port() : qmtest::FreePort());
    sup->Cfg().SetSmtpSSL(c.ssl);
    sup->Cfg().SetSmtpPwd(c.pwd);
    MakeAlert(c.trust);
    QElapsedTimer elapsed;
    elapsed.start();
    const std::string lines = SendAndWait("never arrives");
    EXPECT_LT(elapsed.elapsed(), 5000) << c.what;
    EXPECT_EQ(lines, c.line.toStdString()) << c.what;
    if (server) {
      EXPECT_TRUE(server->Messages().isEmpty()) << c.what;
    }
  }
}

// Accepts TCP connections (the kernel completes them) but never says a word.
class SilentServer {
 public:
  SilentServer() {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::listen(fd_, 8);
    socklen_t len = sizeof addr;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
  }
  ~SilentServer() { ::close(fd_); }
  int Port() const { return port_; }

 private:
  int fd_ = -1;
  int port_ = 0;
};

TEST_F(SmtpSendTest, SilentServerTimesOutAndEndOfProgramDoesNotWaitForIt) {
  SilentServer server;
  sup->Cfg().SetSmtpPort(server.Port());
  MakeAlert(false);
  QElapsedTimer elapsed;
  elapsed.start();
  EXPECT_EQ(SendAndWait("never answered"),
            ("Failed to send alert email to " + kEmails).toStdString());
  EXPECT_GE(elapsed.elapsed(), 2900);
  EXPECT_LT(elapsed.elapsed(), 5000);

  alert->ResetTimer();
  EXPECT_TRUE(alert->SendAlert("cut short"));
  elapsed.restart();
  alert->Finish(200);
  // Told to stop, the send gives up well before its own time-out.
  EXPECT_LT(elapsed.elapsed(), 2000);
  EXPECT_FALSE(alert->Sending());
}

TEST(AlertMessage, LineBreaksCannotAddHeadersAndEmptyAddressesAreLeftOut) {
  TAlertMail mail;
  mail.sFrom = "sv@example.org\r\nBcc: x@evil.org";
  mail.sEmails = "a@example.org;;b@example.org;";
  EXPECT_EQ(AlertRecipients(mail.sEmails), QStringList({"a@example.org", "b@example.org"}));
  const QString m = QString::fromUtf8(BuildAlertMessage(
      mail, {"one\r\nSubject: x", "two"}, QDateTime(QDate(2024, 3, 5), QTime(14, 30, 12))));
  const auto [headers, body] = Parts(m);
  EXPECT_TRUE(headers.contains("From: sv@example.org  Bcc: x@evil.org"));
  EXPECT_TRUE(headers.contains("To: a@example.org, b@example.org"));
  EXPECT_FALSE(headers.contains("Bcc: x@evil.org"));
  EXPECT_EQ(body, QStringList({"one  Subject: x", "two"}));
  EXPECT_TRUE(m.endsWith("two\r\n"));
}

}  // namespace
