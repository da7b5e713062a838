#include "support/TestSupport.h"

#include "core/IniFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qmtest {
namespace {
// Waits for input in short slices, serving the interface thread's hand-overs meanwhile.
bool PollIn(int fd, qint64 ms) {
  QElapsedTimer timer;
  timer.start();
  for (;;) {
    pollfd p{fd, POLLIN, 0};
    const int left = static_cast<int>(std::min<qint64>(5, ms - timer.elapsed()));
    if (::poll(&p, 1, std::max(left, 0)) > 0) return true;
    if (timer.elapsed() >= ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
}
}  // namespace

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(2);
  }
  return true;
}

TCfg::Env TempEnv(const QTemporaryDir& dir) {
  TCfg::Env env;
  env.allUsersDataFolder = dir.path() + QStringLiteral("/");
  env.appDataFolder = env.allUsersDataFolder + QStringLiteral("Brackenhall/Quietmark-SV/");
  QDir().mkpath(env.appDataFolder);
  env.programFolder = dir.path() + QStringLiteral("/prog/");
  env.executablePath = env.programFolder + QStringLiteral("quietmark-sv");
  return env;
}

void WriteTestSettings(const TCfg::Env& env,
                       const std::vector<std::pair<QString, QString>>& settings) {
  IniFile ini(env.appDataFolder + QStringLiteral("settings.ini"));
  ini.WriteInteger(QStringLiteral("network"), QStringLiteral("port"), 0);
  for (const auto& [key, value] : settings) {
    const QStringList parts = key.split(QLatin1Char('/'));
    ini.WriteString(parts[0], parts[1], value);
  }
}

quint16 FreePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t len = sizeof addr;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  ::close(fd);
  return ntohs(addr.sin_port);
}

Client::Client(quint16 port) {
  fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd_);
    fd_ = -1;
    return;
  }
  const int one = 1;
  ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

Client::~Client() { Close(); }

void Client::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool Client::Send(const QByteArray& bytes) {
  qsizetype done = 0;
  while (fd_ >= 0 && done < bytes.size()) {
    const ssize_t n = ::send(fd_, bytes.constData() + done,
                             static_cast<size_t>(bytes.size() - done), MSG_NOSIGNAL);
    if (n <= 0) return false;
    done += n;
  }
  return fd_ >= 0;
}

QByteArray Client::ReadFor(int ms) {
  QElapsedTimer timer;
  timer.start();
  QByteArray out = buffer_;
  buffer_.clear();
  char chunk[65536];
  while (fd_ >= 0 && timer.elapsed() < ms) {
    if (!PollIn(fd_, ms - timer.elapsed())) break;
    const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
    if (n <= 0) break;
    out.append(chunk, n);
  }
  return out;
}

QList<QByteArray> Client::ReadLines(int count, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  QList<QByteArray> lines;
  char chunk[65536];
  for (;;) {
    qsizetype eol;
    while (lines.size() < count && (eol = buffer_.indexOf("\r\n")) >= 0) {
      lines << buffer_.left(eol);
      buffer_.remove(0, eol + 2);
    }
    if (lines.size() >= count || fd_ < 0 || timer.elapsed() >= timeoutMs) break;
    if (!PollIn(fd_, timeoutMs - timer.elapsed())) break;
    const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
    if (n <= 0) break;
    buffer_.append(chunk, n);
  }
  return lines;
}

bool Client::WaitClosed(int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  char chunk[4096];
  while (fd_ >= 0 && timer.elapsed() < timeoutMs) {
    if (!PollIn(fd_, timeoutMs - timer.elapsed())) return false;
    const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
    if (n <= 0) return true;
    buffer_.append(chunk, n);
  }
  return false;
}

}  // namespace qmtest
