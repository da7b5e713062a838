#include "Monitor.h"

#include <cstdio>

namespace qmsim {
namespace {

constexpr std::size_t kHighWater = 256 * 1024;  // produce records only below this backlog
constexpr std::size_t kLiveLimit = 64 * 1024;   // live values are skipped above this backlog
constexpr std::size_t kMaxLine = 64 * 1024;     // a longer line from the supervisor is dropped
constexpr std::size_t kMaxJobs = 64;
constexpr int kAlarmCatchUp = 10;  // seconds checked at most after a stall

std::chrono::milliseconds Ms(double seconds) {
  return std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
}

}  // namespace

Monitor::Monitor(asio::io_context& io, const Options& options, int index)
    : io_(io),
      options_(options),
      index_(index),
      type_(TypeOf(options, index)),
      id_(IdOf(options, index)),
      socket_(io),
      retry_(io),
      input_(kMaxLine),
      levels_(options.seed, index, options.profile, options.alarmEvery),
      settings_(type_, std::string("Sim ") + TypeShort(type_) + " " + id_, levels_.BackgroundDb(),
                options.ngExtras) {
  device_ = "MIC-" +
            std::to_string(
                10000 + (options.seed * 7919 + static_cast<std::uint64_t>(index) * 104729) % 90000);
  modules_ = "core,1.4;gps,2.1";
}

void Monitor::Log(const char* what, const std::string& text) const {
  if (!options_.verbose) return;
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::system_clock::now().time_since_epoch())
                      .count();
  std::printf("%lld.%03lld %s %s%s%s\n", static_cast<long long>(ms / 1000 % 100000),
              static_cast<long long>(ms % 1000), id_.c_str(), what, text.empty() ? "" : " ",
              text.c_str());
}

std::string Monitor::DiscoveryAnswer() const {
  return std::string(TypeToken(type_)) + "&" + id_ + "&" + settings_.name;
}

void Monitor::Start(const asio::ip::tcp::endpoint& server) {
  server_ = server;
  if (started_) return;
  started_ = true;
  Connect();
}

void Monitor::Connect() {
  if (shutDown_) return;
  const std::uint64_t gen = ++generation_;
  socket_ = asio::ip::tcp::socket(io_);
  Log("connecting to", server_.address().to_string() + ":" + std::to_string(server_.port()));
  socket_.async_connect(server_, [this, gen](const asio::error_code& ec) {
    if (gen != generation_) return;
    if (ec) {
      // Never connected, so not dropped: keep trying whatever --no-reconnect says.
      Log("connect failed:", ec.message());
      asio::error_code ignored;
      socket_.close(ignored);
      retry_.expires_after(Ms(options_.reconnectDelay));
      retry_.async_wait([this](const asio::error_code& e) {
        if (!e) Connect();
      });
      return;
    }
    asio::error_code ignored;
    socket_.set_option(asio::ip::tcp::no_delay(true), ignored);
    connected_ = true;
    connectedAt_ = std::chrono::steady_clock::now();
    Log("connected");
    Read();
  });
}

void Monitor::Close(const std::string& why, double delay) {
  Log("closed:", why);
  ++generation_;
  asio::error_code ignored;
  socket_.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
  socket_.close(ignored);
  connected_ = identified_ = closing_ = writing_ = false;
  live_ = live1s_ = false;
  pending_.clear();
  inflight_.clear();
  jobs_.clear();
  input_.consume(input_.size());
  if (delay < 0 || shutDown_) return;
  char text[32];
  std::snprintf(text, sizeof text, "%.1f s", delay);
  Log("reconnecting in", text);
  retry_.expires_after(Ms(delay));
  retry_.async_wait([this](const asio::error_code& ec) {
    if (!ec) Connect();
  });
}

void Monitor::Read() {
  const std::uint64_t gen = generation_;
  asio::async_read_until(
      socket_, input_, '\n', [this, gen](const asio::error_code& ec, std::size_t n) {
        if (gen != generation_) return;
        if (ec == asio::error::not_found) {
          // No line end within the limit: drop what came and read on.
          Log("overlong line dropped");
          input_.consume(input_.size());
          Read();
          return;
        }
        if (ec) {
          Close(ec == asio::error::eof ? "by the supervisor" : ec.message(),
                options_.reconnect ? options_.reconnectDelay : -1);
          return;
        }
        std::string line(asio::buffers_begin(input_.data()),
                         asio::buffers_begin(input_.data()) + static_cast<std::ptrdiff_t>(n));
        input_.consume(n);
        line.pop_back();
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) Handle(line);
        if (gen == generation_) Read();
      });
}

void Monitor::Send(const std::string& line) {
  if (!connected_ || closing_) return;
  Log(">", line);
  pending_ += Ascii(line);
  pending_ += "\r\n";
  Flush();
}

void Monitor::Flush() {
  if (writing_ || pending_.empty() || !connected_) return;
  writing_ = true;
  inflight_.swap(pending_);
  pending_.clear();
  const std::uint64_t gen = generation_;
  asio::async_write(socket_, asio::buffer(inflight_),
                    [this, gen](const asio::error_code& ec, std::size_t) {
                      if (gen != generation_) return;
                      writing_ = false;
                      inflight_.clear();
                      if (ec) {
                        Close(ec.message(), options_.reconnect ? options_.reconnectDelay : -1);
                        return;
                      }
                      if (closing_) {
                        // Once "rebooting" is out, go down and come back after the reboot.
                        if (!pending_.empty())
                          Flush();
                        else
                          Close("rebooting", options_.rebootDelay);
                        return;
                      }
                      Pump();
                      Flush();
                    });
}

std::string Monitor::Identification() const {
  const std::string token = TypeToken(type_);
  switch (type_) {
    case MonitorType::Dt:
      return token + "&" + id_;
    case MonitorType::Ng:
      return token + "&" + id_ + "&" + settings_.name + "&" + device_ + "&" + modules_;
    case MonitorType::Se:
      break;
  }
  const bool five = options_.seIdent == "5" || (options_.seIdent == "alt" && index_ % 2 == 0);
  return token + "&" + id_ + "&" + settings_.name + (five ? "&" + device_ : "") + "&" + modules_;
}

// Ages in seconds of the alarms of the last hour.
std::string Monitor::AlarmList() const {
  const LocalSeconds now = Now();
  const AlarmRule rule = Rule();
  std::string ages;
  for (const AlarmRecord& a : AlarmsBetween(levels_, rule, now - 3599, now)) {
    if (!ages.empty()) ages += ';';
    ages += std::to_string(now - a.at);
  }
  return "alarms&" + ages;
}

AlarmRule Monitor::Rule() const {
  return AlarmRule{settings_.RedDb(), settings_.AlarmSeconds(), levels_.HoldOff()};
}

std::string Monitor::LevelFields() const {
  return "&ledmin=" + std::to_string(settings_.LedMin()) +
         "&ledmax=" + std::to_string(settings_.LedMax()) +
         "&trig1=" + std::to_string(settings_.YellowDb()) +
         "&trig2=" + std::to_string(settings_.RedDb());
}

void Monitor::Handle(const std::string& line) {
  Log("<", line);
  const auto f = Split(line, '&');
  const std::string& cmd = f[0];
  RecordKind kind;
  if (cmd == "cnx") {
    if (!options_.ident) return;
    Send(Identification());
    identified_ = true;
    lastSecond_ = Now();
    Send(AlarmList());
  } else if (cmd == "ping") {
    const double upFor =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - connectedAt_).count();
    if (options_.pong && (options_.pongFor <= 0 || upFor < options_.pongFor))
      Send("pong&" + std::to_string(35 + (index_ * 13) % 36));
  } else if (cmd == "live" && f.size() >= 2 && (f[1] == "start" || f[1] == "stop")) {
    live_ = f[1] == "start";
  } else if (cmd == "live1s" && f.size() >= 2 && (f[1] == "start" || f[1] == "stop")) {
    live1s_ = f[1] == "start";
  } else if (cmd == "getleqbuf") {
    const LocalSeconds now = Now();
    std::string values;
    values.reserve(static_cast<std::size_t>(options_.leqbuf) * 5);
    for (LocalSeconds s = now - options_.leqbuf; s < now; ++s)
      values += (s == now - options_.leqbuf ? "" : ",") + Tenths(levels_.Tenths(s));
    Send("leqbuf&" + values);
  } else if (cmd == "setclk") {
    const LocalSeconds set = f.size() == 3 ? ParseDateTime(f[1], f[2]) : -1;
    if (set < 0 || f[2].empty()) {
      Log("bad clock line ignored");
      return;
    }
    clockOffset_ = set - LocalNow();
    lastSecond_ = Now();
    Log("clock set, offset", std::to_string(clockOffset_) + " s");
  } else if (cmd == "getsettings") {
    Send(settings_.GetSettingsLine());
  } else if (cmd == "setsettings") {
    const bool ok = !options_.refuseSettings && settings_.Apply(f);
    Send(ok ? "setsettings&ok" : "setsettings&fail");
  } else if (cmd == "reboot") {
    Send("rebooting");
    closing_ = true;
  } else if (cmd == "shutdown") {
    shutDown_ = true;
    Close("shut down", -1);
  } else if (ParseKind(cmd, kind)) {
    Download(kind, f);
  } else {
    Log("ignored");
  }
}

void Monitor::Download(RecordKind kind, const std::vector<std::string>& f) {
  if (f.size() != (kind == RecordKind::Per ? 3u : 2u) || jobs_.size() >= kMaxJobs) {
    Log("request ignored");
    return;
  }
  const LocalSeconds now = Now();
  const LocalSeconds historyStart = DayOf(now) - static_cast<LocalSeconds>(options_.days) * 86400;
  jobs_.emplace_back(kind, type_, f[1], kind == RecordKind::Per ? f[2] : std::string(),
                     historyStart, now);
  Pump();
}

void Monitor::Pump() {
  const RecordSource source{levels_, type_, Rule()};
  std::vector<std::string> lines;
  while (connected_ && !closing_ && pending_.size() < kHighWater && !jobs_.empty()) {
    lines.clear();
    const bool more = jobs_.front().Next(source, lines);
    for (const std::string& l : lines) Send(l);
    if (!more) jobs_.pop_front();
  }
}

void Monitor::CheckAlarms(LocalSeconds now) {
  if (now - lastSecond_ > kAlarmCatchUp) lastSecond_ = now - kAlarmCatchUp;
  const AlarmRule rule = Rule();
  for (LocalSeconds s = lastSecond_ + 1; s <= now; ++s)
    if (AlarmRaisedAt(levels_, rule, s)) {
      Log("alarm at", TimeText(s));
      Send("alarm");
    }
  if (now > lastSecond_) lastSecond_ = now;
}

void Monitor::Tick(std::uint64_t tick) {
  if (!connected_ || closing_) return;
  const LocalSeconds now = Now();
  if (identified_) CheckAlarms(now);
  if (pending_.size() > kLiveLimit) return;
  if (live_) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::system_clock::now().time_since_epoch())
                        .count();
    Send("live&laf=" + Tenths(levels_.FastTenths(now, static_cast<int>(ms / 100 % 10))) +
         LevelFields());
  }
  // Monitors take turns over the ten ticks of a second.
  if (live1s_ && (tick + static_cast<std::uint64_t>(index_)) % 10 == 0)
    Send("live1s&laeq=" + Tenths(levels_.Tenths(now - 1)) + LevelFields());
}

}  // namespace qmsim
