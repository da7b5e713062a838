// Lines per second through the transport (reader thread, hand-over, interface thread) for 1, 10
// and 100 connections, against a plain blocking loopback reader that only counts lines.
#include "core/TThreadServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

constexpr int kTotalLines = 600000;
const char kLine[] = "live&laf=63.4&ledmin=30&ledmax=110&trig1=70&trig2=80\r\n";

int ConnectTo(quint16 port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) return -1;
  return fd;
}

// Each client writes its share of lines in 16 KiB chunks, as a busy monitor would.
void RunClients(quint16 port, int connections, std::vector<int>& fds) {
  for (int i = 0; i < connections; ++i) fds.push_back(ConnectTo(port));
}

void Stream(const std::vector<int>& fds, int linesEach) {
  std::vector<std::thread> writers;
  for (int fd : fds) {
    writers.emplace_back([fd, linesEach] {
      std::string chunk;
      const int perChunk = 16384 / static_cast<int>(sizeof kLine - 1);
      for (int i = 0; i < perChunk; ++i) chunk += kLine;
      int left = linesEach;
      while (left > 0) {
        const int n = std::min(left, perChunk);
        const std::size_t bytes = static_cast<std::size_t>(n) * (sizeof kLine - 1);
        std::size_t done = 0;
        while (done < bytes) {
          const ssize_t w = ::send(fd, chunk.data() + done, bytes - done, MSG_NOSIGNAL);
          if (w <= 0) return;
          done += static_cast<std::size_t>(w);
        }
        left -= n;
      }
    });
  }
  for (auto& w : writers) w.join();
}

class CountingHost : public IServerHost {
 public:
  void NewConnection(const TCtx&) override { ++connections; }
  void DeleteConnection(const TCtx&) override {}
  void ServerRx(const TCtx&, const QString& line) override {
    // The dispatcher's first step: split at "&".
    fields += line.count(QLatin1Char('&'));
    ++lines;
  }
  void Log(const QString&) override {}
  void Debug(const QString&) override {}
  long lines = 0;
  long fields = 0;
  int connections = 0;
};

double TransportRate(int connections) {
  CountingHost host;
  std::atomic<bool> debug{false};
  TThreadServer server(&host, 0, &debug);
  while (server.BoundPort() == 0) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  std::vector<int> fds;
  RunClients(server.BoundPort(), connections, fds);
  while (host.connections < connections) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  const int each = kTotalLines / connections;
  QElapsedTimer timer;
  timer.start();
  std::thread writer([&] { Stream(fds, each); });
  const long expected = static_cast<long>(each) * connections;
  while (host.lines < expected) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
  writer.join();
  for (int fd : fds) ::close(fd);
  return static_cast<double>(expected) / seconds;
}

double BaselineRate(int connections) {
  const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  ::listen(listener, 1024);
  socklen_t len = sizeof addr;
  ::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);
  const quint16 port = ntohs(addr.sin_port);
  const int each = kTotalLines / connections;
  std::atomic<long> lines{0};
  std::vector<std::thread> readers;
  std::vector<int> fds;
  RunClients(port, connections, fds);
  for (int i = 0; i < connections; ++i) {
    const int fd = ::accept(listener, nullptr, nullptr);
    readers.emplace_back([fd, &lines] {
      char buffer[65536];
      for (;;) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        long count = 0;
        for (ssize_t j = 0; j < n; ++j) count += buffer[j] == '\n';
        lines += count;
      }
      ::close(fd);
    });
  }
  QElapsedTimer timer;
  timer.start();
  std::thread writer([&] { Stream(fds, each); });
  const long expected = static_cast<long>(each) * connections;
  while (lines.load() < expected) QThread::usleep(200);
  const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
  writer.join();
  for (int fd : fds) ::close(fd);
  for (auto& r : readers) r.join();
  ::close(listener);
  return static_cast<double>(expected) / seconds;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::printf("%d lines in total per run, %u cores\n", kTotalLines,
              std::thread::hardware_concurrency());
  std::printf("%-12s %16s %16s %8s\n", "connections", "transport/s", "plain reader/s", "ratio");
  for (int connections : {1, 10, 100}) {
    const double transport = TransportRate(connections);
    const double baseline = BaselineRate(connections);
    std::printf("%-12d %16.0f %16.0f %8.2f\n", connections, transport, baseline,
                transport / baseline);
  }
  return 0;
}
