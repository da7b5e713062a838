#include "support/FakeDiscoveryHost.h"

#include <asio.hpp>

#include <mutex>
#include <vector>

namespace qmtest {

struct FakeDiscoveryHost::State {
  asio::io_context io;
  asio::ip::tcp::acceptor acceptor{io};
  std::vector<std::shared_ptr<asio::ip::tcp::socket>> held;
  mutable std::mutex lock;
  QByteArray received;
};

FakeDiscoveryHost::FakeDiscoveryHost(const std::string& address, quint16 port, Mode mode,
                                     QByteArray reply)
    : state_(std::make_shared<State>()) {
  asio::error_code ec;
  const asio::ip::tcp::endpoint endpoint(asio::ip::make_address_v4(address, ec), port);
  if (ec || !address.starts_with("127.")) return;  // loopback only
  auto& acceptor = state_->acceptor;
  acceptor.open(endpoint.protocol(), ec);
  if (!ec) acceptor.set_option(asio::ip::tcp::acceptor::reuse_address(true), ec);
  if (!ec) acceptor.bind(endpoint, ec);
  if (!ec) acceptor.listen(16, ec);
  if (ec) {
    acceptor.close(ec);
    return;
  }
  auto state = state_;
  auto accept = std::make_shared<std::function<void()>>();
  *accept = [this, state, mode, reply, accept] {
    state->acceptor.async_accept([=, this](const asio::error_code& e, asio::ip::tcp::socket s) {
      if (e) return;
      ++accepted_;
      auto socket = std::make_shared<asio::ip::tcp::socket>(std::move(s));
      if (mode == Mode::CloseAtOnce) {
        asio::error_code ignored;
        socket->close(ignored);
      } else if (mode == Mode::Silent) {
        state->held.push_back(socket);
      } else {
        auto buffer = std::make_shared<asio::streambuf>();
        asio::async_read_until(
            *socket, *buffer, '\n',
            [state, socket, buffer, reply](const asio::error_code& r, std::size_t n) {
              if (r) return;
              {
                std::lock_guard guard(state->lock);
                state->received = QByteArray(static_cast<const char*>(buffer->data().data()),
                                             static_cast<qsizetype>(n));
              }
              auto bytes = std::make_shared<QByteArray>(reply);
              asio::async_write(*socket, asio::buffer(bytes->constData(), bytes->size()),
                                [socket, bytes](const asio::error_code&, std::size_t) {
                                  asio::error_code ignored;
                                  socket->shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
                                  socket->close(ignored);
                                });
            });
      }
      (*accept)();
    });
  };
  (*accept)();
  thread_ = std::thread([state, accept] {
    state->io.run();
    *accept = nullptr;  // breaks the cycle of the handler holding itself
  });
}

FakeDiscoveryHost::~FakeDiscoveryHost() {
  if (thread_.joinable()) {
    asio::post(state_->io, [state = state_] {
      asio::error_code ignored;
      state->acceptor.close(ignored);
      for (auto& s : state->held) s->close(ignored);
      state->held.clear();
    });
    thread_.join();
  }
}

bool FakeDiscoveryHost::Listening() const { return thread_.joinable(); }

QByteArray FakeDiscoveryHost::Received() const {
  std::lock_guard guard(state_->lock);
  return state_->received;
}

}  // namespace qmtest
