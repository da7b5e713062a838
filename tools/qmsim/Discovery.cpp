#include "Discovery.h"

#include <chrono>
#include <cstdio>
#include <memory>

namespace qmsim {
namespace {

// A prober that connects and says nothing is let go after this long.
constexpr auto kProbeTimeout = std::chrono::seconds(5);

struct Probe {
  explicit Probe(asio::ip::tcp::socket s)
      : socket(std::move(s)), timer(socket.get_executor()), input(1024) {}
  asio::ip::tcp::socket socket;
  asio::steady_timer timer;
  asio::streambuf input;
  std::string reply;
};

}  // namespace

Discovery::Discovery(asio::io_context& io, const std::string& bind, int port, Answer answer,
                     Probed probed, bool verbose)
    : acceptor_(io), answer_(std::move(answer)), probed_(std::move(probed)), verbose_(verbose) {
  asio::error_code ec;
  const auto address = asio::ip::make_address(bind, ec);
  if (ec) {
    std::fprintf(stderr, "qmsim: bad discovery address %s\n", bind.c_str());
    return;
  }
  const asio::ip::tcp::endpoint endpoint(address, static_cast<unsigned short>(port));
  acceptor_.open(endpoint.protocol(), ec);
  if (!ec) acceptor_.set_option(asio::ip::tcp::acceptor::reuse_address(true), ec);
  if (!ec) acceptor_.bind(endpoint, ec);
  if (!ec) acceptor_.listen(64, ec);
  if (ec) {
    std::fprintf(stderr, "qmsim: no discovery answers (%s:%d: %s)\n", bind.c_str(), port,
                 ec.message().c_str());
    acceptor_.close(ec);
    return;
  }
  Log("discovery listening on " + bind + ":" + std::to_string(port));
  Accept();
}

void Discovery::Log(const std::string& text) const {
  if (!verbose_) return;
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::system_clock::now().time_since_epoch())
                      .count();
  std::printf("%lld.%03lld - %s\n", static_cast<long long>(ms / 1000 % 100000),
              static_cast<long long>(ms % 1000), text.c_str());
}

void Discovery::Accept() {
  acceptor_.async_accept([this](const asio::error_code& ec, asio::ip::tcp::socket socket) {
    if (ec == asio::error::operation_aborted || !acceptor_.is_open()) return;
    if (!ec) Serve(std::move(socket));
    Accept();
  });
}

void Discovery::Serve(asio::ip::tcp::socket socket) {
  auto probe = std::make_shared<Probe>(std::move(socket));
  probe->timer.expires_after(kProbeTimeout);
  probe->timer.async_wait([probe](const asio::error_code& ec) {
    asio::error_code ignored;
    if (!ec) probe->socket.close(ignored);
  });
  asio::async_read_until(
      probe->socket, probe->input, '\n', [this, probe](const asio::error_code& ec, std::size_t n) {
        asio::error_code ignored;
        asio::ip::tcp::endpoint peer = probe->socket.remote_endpoint(ignored);
        std::string line;
        if (!ec) {
          line.assign(asio::buffers_begin(probe->input.data()),
                      asio::buffers_begin(probe->input.data()) + static_cast<std::ptrdiff_t>(n));
          line.pop_back();
          if (!line.empty() && line.back() == '\r') line.pop_back();
        }
        if (ec || line != "cpsv") {
          Log("discovery: no probe from " + peer.address().to_string());
          probe->timer.cancel();
          probe->socket.close(ignored);
          return;
        }
        probe->reply = answer_();
        Log("discovery: probe from " + peer.address().to_string() + ", answer " + probe->reply);
        probe->reply += "\r\n";
        asio::async_write(probe->socket, asio::buffer(probe->reply),
                          [probe](const asio::error_code&, std::size_t) {
                            asio::error_code e;
                            probe->timer.cancel();
                            probe->socket.shutdown(asio::ip::tcp::socket::shutdown_both, e);
                            probe->socket.close(e);
                          });
        if (probed_) probed_(peer.address());
      });
}

}  // namespace qmsim
