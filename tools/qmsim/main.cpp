// qmsim: plays any number of noise monitors against a supervisor on one I/O thread.
#include "Discovery.h"
#include "Monitor.h"
#include "Options.h"
#include "SelfCheck.h"

#include <asio.hpp>

#include <sys/resource.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

// Thousands of monitors need thousands of sockets: take all the descriptors allowed.
void RaiseFileLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const qmsim::Options options = qmsim::ParseOptions(argc, argv);
  if (options.selfCheck) return qmsim::SelfCheck() ? 0 : 1;
  // Whoever reads the log (a test, a script) sees each line as it happens.
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  RaiseFileLimit();
  asio::io_context io(1);

  asio::ip::tcp::endpoint server;
  if (!options.waitProbe) {
    asio::error_code ec;
    asio::ip::tcp::resolver resolver(io);
    const auto results =
        resolver.resolve(asio::ip::tcp::v4(), options.host, std::to_string(options.port), ec);
    if (ec || results.empty()) {
      std::fprintf(stderr, "qmsim: cannot resolve %s: %s\n", options.host.c_str(),
                   ec.message().c_str());
      return 2;
    }
    server = *results.begin();
  }

  std::vector<std::unique_ptr<qmsim::Monitor>> monitors;
  monitors.reserve(static_cast<std::size_t>(options.count));
  for (int i = 0; i < options.count; ++i)
    monitors.push_back(std::make_unique<qmsim::Monitor>(io, options, i));

  // Connections open at the chosen rate (all at once by default).
  asio::steady_timer starter(io);
  std::size_t started = 0;
  std::function<void()> startSome = [&] {
    const std::size_t batch = options.connectPerSecond > 0
                                  ? static_cast<std::size_t>((options.connectPerSecond + 9) / 10)
                                  : monitors.size();
    for (std::size_t n = 0; n < batch && started < monitors.size(); ++n)
      monitors[started++]->Start(server);
    if (started < monitors.size()) {
      starter.expires_after(std::chrono::milliseconds(100));
      starter.async_wait([&](const asio::error_code& e) {
        if (!e) startSome();
      });
    }
  };

  std::unique_ptr<qmsim::Discovery> discovery;
  if (options.discovery && !monitors.empty()) {
    const int port = options.discoveryPort ? options.discoveryPort : options.port + 1;
    discovery = std::make_unique<qmsim::Discovery>(
        io, options.discoveryBind, port,
        [&monitors] { return monitors.front()->DiscoveryAnswer(); },
        [&](const asio::ip::address& from) {
          // A probe tells the monitors where their supervisor is, then and in future.
          if (!options.waitProbe) return;
          const bool first = started == 0;
          server = asio::ip::tcp::endpoint(from, static_cast<unsigned short>(options.port));
          for (std::size_t i = 0; i < started; ++i) monitors[i]->Start(server);
          if (first) startSome();
        },
        options.verbose);
    if (options.waitProbe && !discovery->Listening()) return 2;
  }
  if (!options.waitProbe) startSome();

  // One tick drives every monitor's live streams and alarm checks.
  const auto period = std::chrono::microseconds(static_cast<long long>(100000 / options.rate));
  asio::steady_timer ticker(io);
  std::uint64_t tick = 0;
  auto next = std::chrono::steady_clock::now();
  std::function<void()> onTick = [&] {
    next += period;
    ticker.expires_at(next);
    ticker.async_wait([&](const asio::error_code& e) {
      if (e) return;
      ++tick;
      for (auto& m : monitors) m->Tick(tick);
      // After a stall, carry on from now instead of catching up in a burst.
      if (std::chrono::steady_clock::now() > next + 10 * period)
        next = std::chrono::steady_clock::now();
      onTick();
    });
  };
  onTick();

  asio::signal_set signals(io, SIGINT, SIGTERM);
  signals.async_wait([&](const asio::error_code&, int) { io.stop(); });
  asio::steady_timer quit(io);
  if (options.quitAfter > 0) {
    quit.expires_after(std::chrono::milliseconds(static_cast<long long>(options.quitAfter * 1000)));
    quit.async_wait([&](const asio::error_code& e) {
      if (!e) io.stop();
    });
  }
  io.run();
  if (options.verbose) std::printf("qmsim: stopped\n");
  return 0;
}
