#pragma once

#include "Device.h"
#include "Levels.h"

#include <cstdint>
#include <string>

namespace qmsim {

struct Options {
  std::string host = "127.0.0.1";
  int port = 53941;
  std::string type = "mix";  // dt, ng, se or mix (dt, ng, se in turn)
  int count = 1;
  std::string idPrefix = "SIM-";
  std::uint64_t seed = 1;
  int days = 3;  // days of stored history before today
  Profile profile = Profile::Normal;
  int alarmEvery = 0;  // seconds; 0: random loud spells of the profile
  double rate = 1.0;   // multiplies how often live and live1s lines go out
  int leqbuf = 3600;   // values in the leqbuf answer
  bool verbose = false;
  bool pong = true;
  double pongFor = 0;  // seconds of each connection in which pings are answered; 0: always
  bool ident = true;
  std::string seIdent = "alt";  // 4, 5 or alt: the field count of the cpse identification
  bool ngExtras = false;        // Quietmark-NG reports tz and rsm too
  bool refuseSettings = false;
  bool reconnect = true;
  double reconnectDelay = 2;
  double rebootDelay = 5;
  bool discovery = true;
  int discoveryPort = 0;  // 0: port + 1
  std::string discoveryBind = "0.0.0.0";
  bool waitProbe = false;
  double quitAfter = 0;      // seconds; 0 runs until a signal
  int connectPerSecond = 0;  // 0: all at once
  bool selfCheck = false;
};

// Parses the command line; prints usage and exits on --help or a bad option.
Options ParseOptions(int argc, char** argv);
MonitorType TypeOf(const Options& options, int index);
// "SIM-001" for index 0 with the default prefix.
std::string IdOf(const Options& options, int index);

}  // namespace qmsim
