#pragma once

#include <cstdint>
#include <string>

namespace qmsim {

enum class MonitorType { Dt, Ng, Se };

struct Options {
  std::string host = "127.0.0.1";
  int port = 53941;
  std::string type = "mix";  // dt, ng, se or mix (dt, ng, se in turn)
  int count = 1;
  std::string idPrefix = "SIM-";
  std::uint64_t seed = 1;
  int days = 3;                    // days of stored history before today
  std::string profile = "normal";  // quiet, normal, loud, alarmy
  bool verbose = false;
  bool pong = true;
  bool reconnect = true;
  bool discovery = true;
  int discoveryPort = 0;     // 0: port + 1
  double quitAfter = 0;      // seconds; 0 runs until a signal
  int connectPerSecond = 0;  // 0: all at once
};

// Parses the command line; prints usage and exits on --help or a bad option.
Options ParseOptions(int argc, char** argv);
MonitorType TypeOf(const Options& options, int index);

}  // namespace qmsim
