#include "Options.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace qmsim {
namespace {

const char* const kUsage =
    "qmsim: simulated noise monitors for Quietmark Supervisor\n"
    "usage: qmsim [options]      (--opt VALUE or --opt=VALUE)\n"
    "\n"
    "Fleet\n"
    "  --host ADDR            supervisor address (default 127.0.0.1)\n"
    "  --port N               supervisor port (default 53941)\n"
    "  --type T               dt, ng, se, or mix: dt, ng, se in turn (default mix)\n"
    "  --count N              number of monitors (default 1)\n"
    "  --id-prefix P          IDs are P001, P002, ... (default SIM-)\n"
    "  --connect-rate N       open at most N connections per second (default all at once)\n"
    "\n"
    "Levels and records (all computed from seed, monitor number and local time)\n"
    "  --seed N               seed of every level and record (default 1)\n"
    "  --profile P            quiet, normal, loud or alarmy: background level and how often\n"
    "                         loud spells come (about 1, 2-3, 10 and 60 an hour; default normal)\n"
    "  --alarm-every S        instead of random spells, a loud burst of 8 s (at most S-1)\n"
    "                         at the start of every S seconds of local time: one alarm each\n"
    "  --days N               days of stored history before today (default 3)\n"
    "  --leqbuf N             values in the leqbuf answer, 0..3600 (default 3600)\n"
    "  --rate F               live lines F*10 a second, live1s lines F a second (default 1)\n"
    "\n"
    "Behaviour (for tests)\n"
    "  --no-ident             never send the identification line\n"
    "  --se-ident 4|5|alt     cpse identification with 4 or 5 fields, or alternating by\n"
    "                         monitor number: 5 for odd numbers (001, 003...), 4 for even\n"
    "                         (default alt)\n"
    "  --ng-extras            Quietmark-NG monitors report tz and rsm settings too\n"
    "  --no-pong              never answer pings (to test the keep-alive)\n"
    "  --pong-for S           answer pings only in the first S seconds of each connection\n"
    "  --refuse-settings      answer every setsettings with setsettings&fail\n"
    "  --no-reconnect         stay away once the supervisor drops a connection\n"
    "  --reconnect-delay S    seconds before connecting again (default 2)\n"
    "  --reboot-delay S       seconds a reboot takes (default 5)\n"
    "\n"
    "Discovery (the first monitor answers the probe)\n"
    "  --no-discovery         do not listen for discovery probes\n"
    "  --discovery-port N     port of the discovery answer (default port + 1)\n"
    "  --discovery-bind ADDR  address it listens on (default 0.0.0.0)\n"
    "  --wait-probe           connect only after a probe, to the address it came from\n"
    "\n"
    "Run\n"
    "  --quit-after S         exit after S seconds (decimals allowed)\n"
    "  -v                     log every line sent (>) and received (<) and every event\n"
    "  --self-check           check the generators and exit (0 when all is well)\n"
    "  --help                 this text\n";

[[noreturn]] void Usage(int code) {
  std::fputs(kUsage, code == 0 ? stdout : stderr);
  std::exit(code);
}

[[noreturn]] void Bad(const std::string& option, const std::string& value, const char* want) {
  std::fprintf(stderr, "qmsim: %s wants %s, not '%s'\n", option.c_str(), want, value.c_str());
  std::exit(2);
}

long long Whole(const std::string& option, const std::string& v, long long low, long long high) {
  char* end = nullptr;
  errno = 0;
  const long long n = std::strtoll(v.c_str(), &end, 10);
  if (v.empty() || *end != '\0' || errno != 0 || n < low || n > high)
    Bad(option, v,
        ("a whole number from " + std::to_string(low) + " to " + std::to_string(high)).c_str());
  return n;
}

double Decimal(const std::string& option, const std::string& v, double low, double high) {
  char* end = nullptr;
  const double n = std::strtod(v.c_str(), &end);
  if (v.empty() || *end != '\0' || !(n >= low && n <= high)) Bad(option, v, "a number in range");
  return n;
}

}  // namespace

Options ParseOptions(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    std::string inline_value;
    bool hasInline = false;
    if (a.rfind("--", 0) == 0 && a.find('=') != std::string::npos) {
      inline_value = a.substr(a.find('=') + 1);
      a = a.substr(0, a.find('='));
      hasInline = true;
    }
    auto value = [&]() -> std::string {
      if (hasInline) return inline_value;
      if (i + 1 >= argc) {
        std::fprintf(stderr, "qmsim: %s needs a value\n", a.c_str());
        std::exit(2);
      }
      return argv[++i];
    };
    if (a == "--help" || a == "-h")
      Usage(0);
    else if (a == "--host")
      o.host = value();
    else if (a == "--port")
      o.port = static_cast<int>(Whole(a, value(), 1, 65535));
    else if (a == "--type") {
      o.type = value();
      if (o.type != "dt" && o.type != "ng" && o.type != "se" && o.type != "mix")
        Bad(a, o.type, "dt, ng, se or mix");
    } else if (a == "--count")
      o.count = static_cast<int>(Whole(a, value(), 0, 1000000));
    else if (a == "--id-prefix")
      o.idPrefix = value();
    else if (a == "--seed")
      o.seed = static_cast<std::uint64_t>(Whole(a, value(), 0, 1LL << 62));
    else if (a == "--days")
      o.days = static_cast<int>(Whole(a, value(), 0, 20000));
    else if (a == "--profile") {
      const std::string p = value();
      if (!ParseProfile(p, o.profile)) Bad(a, p, "quiet, normal, loud or alarmy");
    } else if (a == "--alarm-every")
      o.alarmEvery = static_cast<int>(Whole(a, value(), 0, 86400));
    else if (a == "--leqbuf")
      o.leqbuf = static_cast<int>(Whole(a, value(), 0, 3600));
    else if (a == "--rate")
      o.rate = Decimal(a, value(), 0.01, 100);
    else if (a == "--no-ident")
      o.ident = false;
    else if (a == "--se-ident") {
      o.seIdent = value();
      if (o.seIdent != "4" && o.seIdent != "5" && o.seIdent != "alt")
        Bad(a, o.seIdent, "4, 5 or alt");
    } else if (a == "--ng-extras")
      o.ngExtras = true;
    else if (a == "--no-pong")
      o.pong = false;
    else if (a == "--pong-for")
      o.pongFor = Decimal(a, value(), 0, 1e9);
    else if (a == "--refuse-settings")
      o.refuseSettings = true;
    else if (a == "--no-reconnect")
      o.reconnect = false;
    else if (a == "--reconnect-delay")
      o.reconnectDelay = Decimal(a, value(), 0, 86400);
    else if (a == "--reboot-delay")
      o.rebootDelay = Decimal(a, value(), 0, 86400);
    else if (a == "--no-discovery")
      o.discovery = false;
    else if (a == "--discovery-port")
      o.discoveryPort = static_cast<int>(Whole(a, value(), 1, 65535));
    else if (a == "--discovery-bind")
      o.discoveryBind = value();
    else if (a == "--wait-probe")
      o.waitProbe = true;
    else if (a == "--connect-rate")
      o.connectPerSecond = static_cast<int>(Whole(a, value(), 0, 1000000));
    else if (a == "--quit-after")
      o.quitAfter = Decimal(a, value(), 0, 1e9);
    else if (a == "--self-check")
      o.selfCheck = true;
    else if (a == "-v")
      o.verbose = true;
    else {
      std::fprintf(stderr, "qmsim: unknown option %s (see --help)\n", argv[i]);
      std::exit(2);
    }
  }
  if (o.waitProbe && !o.discovery) {
    std::fprintf(stderr, "qmsim: --wait-probe needs discovery\n");
    std::exit(2);
  }
  return o;
}

MonitorType TypeOf(const Options& o, int index) {
  if (o.type == "dt") return MonitorType::Dt;
  if (o.type == "ng") return MonitorType::Ng;
  if (o.type == "se") return MonitorType::Se;
  return static_cast<MonitorType>(index % 3);
}

std::string IdOf(const Options& o, int index) {
  char number[16];
  std::snprintf(number, sizeof number, "%03d", index + 1);
  return o.idPrefix + number;
}

}  // namespace qmsim
