#pragma once

#include "Device.h"
#include "History.h"
#include "Levels.h"
#include "Options.h"

#include <asio.hpp>

#include <chrono>
#include <deque>
#include <string>

namespace qmsim {

// One simulated monitor: its TCP connection to the supervisor and its side of the protocol.
// Every handler runs on the one I/O thread, so nothing here needs a lock.
class Monitor {
 public:
  Monitor(asio::io_context& io, const Options& options, int index);
  // Connects to `server`, now and after every drop. Called again (a discovery probe), it only
  // changes where later connections go.
  void Start(const asio::ip::tcp::endpoint& server);
  // Every 100 ms (divided by --rate): the live streams and the alarm check.
  void Tick(std::uint64_t tick);
  const std::string& Id() const { return id_; }
  std::string DiscoveryAnswer() const;

 private:
  void Connect();
  void Read();
  void Handle(const std::string& line);
  void Send(const std::string& line);
  void Flush();
  // Closes the connection; connects again after `delay` seconds unless it is negative.
  void Close(const std::string& why, double delay);
  void Log(const char* what, const std::string& text = {}) const;
  LocalSeconds Now() const { return LocalNow() + clockOffset_; }

  std::string Identification() const;
  std::string AlarmList() const;
  std::string LevelFields() const;
  AlarmRule Rule() const;
  void CheckAlarms(LocalSeconds now);
  void Download(RecordKind kind, const std::vector<std::string>& fields);
  void Pump();

  asio::io_context& io_;
  const Options& options_;
  const int index_;
  const MonitorType type_;
  const std::string id_;
  asio::ip::tcp::endpoint server_;
  bool started_ = false;
  bool shutDown_ = false;
  asio::ip::tcp::socket socket_;
  asio::steady_timer retry_;
  asio::streambuf input_;
  std::string pending_, inflight_;
  bool writing_ = false;
  bool connected_ = false;
  bool identified_ = false;       // sent its identification on this connection
  bool closing_ = false;          // rebooting: the last line is on its way
  std::uint64_t generation_ = 0;  // a new connection makes old handlers stale
  std::chrono::steady_clock::time_point connectedAt_;

  LevelModel levels_;
  DeviceSettings settings_;
  std::string device_, modules_;
  LocalSeconds clockOffset_ = 0;
  LocalSeconds lastSecond_ = 0;  // newest second checked for an alarm
  bool live_ = false, live1s_ = false;
  std::deque<qmsim::Download> jobs_;
};

}  // namespace qmsim
