// qmsim: plays any number of noise monitors against a supervisor on one thread.
#include "Discovery.h"
#include "Monitor.h"
#include "Options.h"

#include <asio.hpp>

#include <cstdio>
#include <memory>
#include <vector>

int main(int argc, char** argv) {
  const qmsim::Options options = qmsim::ParseOptions(argc, argv);
  // Whoever reads the log (a test, a script) sees each line as it happens.
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  asio::io_context io;

  asio::error_code ec;
  asio::ip::tcp::resolver resolver(io);
  const auto results =
      resolver.resolve(asio::ip::tcp::v4(), options.host, std::to_string(options.port), ec);
  if (ec || results.empty()) {
    std::fprintf(stderr, "qmsim: cannot resolve %s: %s\n", options.host.c_str(),
                 ec.message().c_str());
    return 2;
  }
  const asio::ip::tcp::endpoint server = *results.begin();

  std::vector<std::unique_ptr<qmsim::Monitor>> monitors;
  for (int i = 0; i < options.count; ++i)
    monitors.push_back(std::make_unique<qmsim::Monitor>(io, options, i, server));

  std::unique_ptr<qmsim::Discovery> discovery;
  if (options.discovery && !monitors.empty()) {
    const int port = options.discoveryPort ? options.discoveryPort : options.port + 1;
    discovery = std::make_unique<qmsim::Discovery>(
        io, port, [&monitors] { return monitors.front()->DiscoveryAnswer(); });
  }

  // Connections open at the chosen rate (all at once by default).
  asio::steady_timer starter(io);
  std::size_t started = 0;
  std::function<void()> startSome = [&] {
    const std::size_t batch = options.connectPerSecond > 0
                                  ? static_cast<std::size_t>((options.connectPerSecond + 9) / 10)
                                  : monitors.size();
    for (std::size_t n = 0; n < batch && started < monitors.size(); ++n)
      monitors[started++]->Start();
    if (started < monitors.size()) {
      starter.expires_after(std::chrono::milliseconds(100));
      starter.async_wait([&](const asio::error_code& e) {
        if (!e) startSome();
      });
    }
  };
  startSome();

  // One 100 ms tick drives every monitor's live streams.
  asio::steady_timer ticker(io);
  int tick = 0;
  auto next = std::chrono::steady_clock::now();
  std::function<void()> onTick = [&] {
    next += std::chrono::milliseconds(100);
    ticker.expires_at(next);
    ticker.async_wait([&](const asio::error_code& e) {
      if (e) return;
      ++tick;
      for (auto& m : monitors) m->Tick(tick);
      onTick();
    });
  };
  onTick();

  asio::signal_set signals(io, SIGINT, SIGTERM);
  signals.async_wait([&](const asio::error_code&, int) { io.stop(); });
  asio::steady_timer quit(io);
  if (options.quitAfter > 0) {
    quit.expires_after(std::chrono::milliseconds(static_cast<long>(options.quitAfter * 1000)));
    quit.async_wait([&](const asio::error_code& e) {
      if (!e) io.stop();
    });
  }
  io.run();
  return 0;
}
