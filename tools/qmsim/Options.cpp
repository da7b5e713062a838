#include "Options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace qmsim {
namespace {

const char* const kUsage =
    "qmsim: simulated noise monitors for Quietmark Supervisor\n"
    "usage: qmsim [options]\n"
    "  --host ADDR          supervisor address (default 127.0.0.1)\n"
    "  --port N             supervisor port (default 53941)\n"
    "  --type T             dt, ng, se or mix: dt, ng, se in turn (default mix)\n"
    "  --count N            number of monitors (default 1)\n"
    "  --id-prefix P        IDs are P001, P002, ... (default SIM-)\n"
    "  --seed N             seed of every generated level and record (default 1)\n"
    "  --days N             days of stored history before today (default 3)\n"
    "  --profile P          quiet, normal, loud or alarmy (default normal)\n"
    "  --no-pong            never answer pings (to test the keep-alive)\n"
    "  --no-reconnect       stay away once the supervisor drops a connection\n"
    "  --no-discovery       do not answer discovery probes\n"
    "  --discovery-port N   port of the discovery answer (default port + 1)\n"
    "  --connect-rate N     open at most N connections per second (default all at once)\n"
    "  --quit-after S       exit after S seconds\n"
    "  -v                   log what the monitors do\n"
    "  --help               this text\n";

[[noreturn]] void Usage(int code) {
  std::fputs(kUsage, code == 0 ? stdout : stderr);
  std::exit(code);
}

}  // namespace

Options ParseOptions(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "qmsim: %s needs a value\n", argv[i]);
        Usage(2);
      }
      return argv[++i];
    };
    auto number = [&]() -> long long {
      const std::string v = value();
      char* end = nullptr;
      const long long n = std::strtoll(v.c_str(), &end, 10);
      if (v.empty() || *end != '\0' || n < 0) {
        std::fprintf(stderr, "qmsim: %s wants a whole number, not '%s'\n", argv[i - 1], v.c_str());
        Usage(2);
      }
      return n;
    };
    if (a == "--help" || a == "-h")
      Usage(0);
    else if (a == "--host")
      o.host = value();
    else if (a == "--port")
      o.port = static_cast<int>(number());
    else if (a == "--type")
      o.type = value();
    else if (a == "--count")
      o.count = static_cast<int>(number());
    else if (a == "--id-prefix")
      o.idPrefix = value();
    else if (a == "--seed")
      o.seed = static_cast<std::uint64_t>(number());
    else if (a == "--days")
      o.days = static_cast<int>(number());
    else if (a == "--profile")
      o.profile = value();
    else if (a == "--no-pong")
      o.pong = false;
    else if (a == "--no-reconnect")
      o.reconnect = false;
    else if (a == "--no-discovery")
      o.discovery = false;
    else if (a == "--discovery-port")
      o.discoveryPort = static_cast<int>(number());
    else if (a == "--connect-rate")
      o.connectPerSecond = static_cast<int>(number());
    else if (a == "--quit-after")
      o.quitAfter = static_cast<double>(number());
    else if (a == "-v")
      o.verbose = true;
    else {
      std::fprintf(stderr, "qmsim: unknown option %s\n", argv[i]);
      Usage(2);
    }
  }
  if (o.type != "dt" && o.type != "ng" && o.type != "se" && o.type != "mix") Usage(2);
  if (o.profile != "quiet" && o.profile != "normal" && o.profile != "loud" && o.profile != "alarmy")
    Usage(2);
  return o;
}

MonitorType TypeOf(const Options& o, int index) {
  if (o.type == "dt") return MonitorType::Dt;
  if (o.type == "ng") return MonitorType::Ng;
  if (o.type == "se") return MonitorType::Se;
  return static_cast<MonitorType>(index % 3);
}

}  // namespace qmsim
