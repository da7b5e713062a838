#include "core/Discovery.h"

#include "core/IpAddress.h"
#include "core/Text.h"

#include <asio.hpp>

namespace {

// A line longer than any monitor's answer is not an answer, and is not buffered on.
constexpr std::size_t kMaxAnswer = 1024;

// Runs the one pending operation until it completes or the time is up; then cancels it and
// waits for its handler, so nothing outlives the call.
bool RunFor(asio::io_context& io, asio::ip::tcp::socket& socket, bool& done,
            std::chrono::milliseconds limit) {
  io.restart();
  io.run_for(limit);
  if (done) return true;
  asio::error_code ignored;
  socket.close(ignored);
  io.restart();
  io.run();
  return false;
}

}  // namespace

std::optional<TMonitorAnswer> SplitDiscoveryAnswer(const QString& line) {
  const QStringList f = qmtext::SplitStrict(line, QLatin1Char('&'));
  if (f.size() != 3) return std::nullopt;
  return TMonitorAnswer{f[0], f[1], f[2]};
}

QString DeviceLogLine(const TMonitorAnswer& answer) {
  return QStringLiteral("  Device:") + answer.sType + QStringLiteral(" ID:") + answer.sID +
         QStringLiteral(" Name") + answer.sName;
}

TProbeResult ProbeMonitor(const QString& address, int port, TProbeTimeouts timeouts) {
  TProbeResult result;
  const auto bytes = ParseIPAdx(address);
  if (!bytes || port < 1 || port > 65535) return result;
  const asio::ip::tcp::endpoint endpoint(asio::ip::address_v4(*bytes),
                                         static_cast<unsigned short>(port));
  asio::io_context io;
  asio::ip::tcp::socket socket(io);
  asio::error_code ec;

  bool done = false;
  socket.async_connect(endpoint, [&](const asio::error_code& e) {
    ec = e;
    done = true;
  });
  if (!RunFor(io, socket, done, timeouts.connect) || ec) return result;
  result.bConnected = true;

  // Sending and reading share the answer's time.
  static const char kProbe[] = "cpsv\r\n";
  asio::streambuf input(kMaxAnswer);
  std::size_t lineLength = 0;
  done = false;
  asio::async_write(
      socket, asio::buffer(kProbe, sizeof kProbe - 1), [&](const asio::error_code& e, std::size_t) {
        if (e) {
          ec = e;
          done = true;
          return;
        }
        asio::async_read_until(socket, input, '\n', [&](const asio::error_code& r, std::size_t n) {
          ec = r;
          lineLength = n;
          done = true;
        });
      });
  const bool answered = RunFor(io, socket, done, timeouts.answer) && !ec;
  if (answered) {
    const auto* data = static_cast<const char*>(input.data().data());
    std::size_t n = lineLength - 1;  // without the LF
    if (n > 0 && data[n - 1] == '\r') --n;
    result.sAnswer = qmtext::FromAscii(data, static_cast<qsizetype>(n));
    result.monitor = SplitDiscoveryAnswer(result.sAnswer);
  }
  socket.shutdown(asio::ip::tcp::socket::shutdown_both, ec);
  socket.close(ec);
  return result;
}
