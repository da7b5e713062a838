#include "Discovery.h"

#include <cstdio>

namespace qmsim {

Discovery::Discovery(asio::io_context& io, int port, std::function<std::string()> answer)
    : acceptor_(io), answer_(std::move(answer)) {
  asio::error_code ec;
  const asio::ip::tcp::endpoint endpoint(asio::ip::address_v4::any(),
                                         static_cast<unsigned short>(port));
  acceptor_.open(endpoint.protocol(), ec);
  if (!ec) acceptor_.set_option(asio::ip::tcp::acceptor::reuse_address(true), ec);
  if (!ec) acceptor_.bind(endpoint, ec);
  if (!ec) acceptor_.listen(16, ec);
  if (ec) {
    std::fprintf(stderr, "qmsim: no discovery answers (port %d: %s)\n", port, ec.message().c_str());
    acceptor_.close(ec);
    return;
  }
  Accept();
}

void Discovery::Accept() {
  acceptor_.async_accept([this](const asio::error_code& ec, asio::ip::tcp::socket socket) {
    if (ec == asio::error::operation_aborted) return;
    if (!ec) {
      auto peer = std::make_shared<asio::ip::tcp::socket>(std::move(socket));
      auto input = std::make_shared<asio::streambuf>(4096);
      asio::async_read_until(
          *peer, *input, '\n', [this, peer, input](const asio::error_code& rec, std::size_t n) {
            if (rec) return;
            std::string line(asio::buffers_begin(input->data()),
                             asio::buffers_begin(input->data()) + n);
            if (line.rfind("cpsv", 0) != 0) return;
            auto reply = std::make_shared<std::string>(answer_() + "\r\n");
            asio::async_write(*peer, asio::buffer(*reply),
                              [peer, reply](const asio::error_code&, std::size_t) {});
          });
    }
    Accept();
  });
}

}  // namespace qmsim
