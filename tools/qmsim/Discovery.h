#pragma once

#include <asio.hpp>

#include <functional>
#include <string>

namespace qmsim {

// Answers the supervisor's discovery probe ("cpsv") with a monitor's type, ID and name, and
// tells the caller where the probe came from.
class Discovery {
 public:
  using Answer = std::function<std::string()>;
  using Probed = std::function<void(const asio::ip::address& from)>;
  Discovery(asio::io_context& io, const std::string& bind, int port, Answer answer, Probed probed,
            bool verbose);
  bool Listening() const { return acceptor_.is_open(); }

 private:
  void Accept();
  void Serve(asio::ip::tcp::socket socket);
  void Log(const std::string& text) const;

  asio::ip::tcp::acceptor acceptor_;
  Answer answer_;
  Probed probed_;
  bool verbose_;
};

}  // namespace qmsim
