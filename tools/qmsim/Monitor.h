#pragma once

#include "History.h"
#include "Options.h"

#include <asio.hpp>

#include <deque>
#include <string>
#include <vector>

namespace qmsim {

// One simulated monitor: its TCP connection to the supervisor and its side of the protocol.
class Monitor {
 public:
  Monitor(asio::io_context& io, const Options& options, int index,
          const asio::ip::tcp::endpoint& server);
  void Start();
  // Called every 100 ms: the live streams and the alarm check.
  void Tick(int tick);
  const std::string& Id() const { return id_; }
  std::string DiscoveryAnswer() const;

 private:
  struct Job {
    char kind;  // 'p'er, 'a'lm, 'c'al, 'f' prf
    int period;
    LocalSeconds cursor;
    LocalSeconds end;
    LocalSeconds headerDay;  // day whose header was sent last; -1 none
  };

  void Connect();
  void Read();
  void Handle(const std::string& line);
  void Send(const std::string& line);
  void Flush();
  void Drop(double reconnectAfter);
  void Log(const char* what, const std::string& text) const;
  LocalSeconds Now() const { return LocalNow() + clockOffset_; }

  void StartJob(char kind, const std::string& start, int period);
  void Pump();
  bool PumpOne(Job& job);
  std::string DatePrefix(const char* command, LocalSeconds t) const;
  std::string PerValues(LocalSeconds t) const;

  asio::io_context& io_;
  const Options& options_;
  const int index_;
  const MonitorType type_;
  asio::ip::tcp::endpoint server_;
  asio::ip::tcp::socket socket_;
  asio::steady_timer retry_;
  asio::streambuf input_;
  std::string pending_, inflight_;
  bool writing_ = false;
  bool connected_ = false;
  std::uint64_t generation_ = 0;  // a new connection makes old handlers stale

  std::string id_, name_, device_, modules_;
  LevelModel levels_;
  int trig1_, trig2_;
  LocalSeconds clockOffset_ = 0;
  LocalSeconds historyStart_;
  bool live_ = false, live1s_ = false;
  int loudSeconds_ = 0;
  LocalSeconds lastAlarm_ = 0;
  std::deque<Job> jobs_;
};

}  // namespace qmsim
