#pragma once

#include <asio.hpp>

#include <functional>
#include <memory>
#include <string>

namespace qmsim {

// Answers the supervisor's discovery probe ("cpsv") with a monitor's type, ID and name.
class Discovery {
 public:
  Discovery(asio::io_context& io, int port, std::function<std::string()> answer);
  bool Listening() const { return acceptor_.is_open(); }

 private:
  void Accept();
  asio::ip::tcp::acceptor acceptor_;
  std::function<std::string()> answer_;
};

}  // namespace qmsim
