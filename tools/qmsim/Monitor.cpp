#include "Monitor.h"

#include <cstdio>
#include <sstream>

namespace qmsim {
namespace {

constexpr std::size_t kHighWater = 256 * 1024;  // generate records only below this backlog
const char* const kTypeToken[] = {"cpdt", "cpng", "cpse"};
const char* const kTypeName[] = {"DT", "NG", "SE"};

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> out;
  std::string::size_type start = 0;
  for (;;) {
    const auto at = s.find(sep, start);
    out.push_back(s.substr(start, at - start));
    if (at == std::string::npos) return out;
    start = at + 1;
  }
}

std::string Tenths(int tenths) {
  char text[16];
  std::snprintf(text, sizeof text, "%d.%d", tenths / 10, tenths % 10);
  return text;
}

LocalSeconds DayOf(LocalSeconds t) { return t - ((t % 86400) + 86400) % 86400; }

}  // namespace

Monitor::Monitor(asio::io_context& io, const Options& options, int index,
                 const asio::ip::tcp::endpoint& server)
    : io_(io),
      options_(options),
      index_(index),
      type_(TypeOf(options, index)),
      server_(server),
      socket_(io),
      retry_(io),
      levels_(options.seed, index, options.profile) {
  char id[64];
  std::snprintf(id, sizeof id, "%s%03d", options.idPrefix.c_str(), index + 1);
  id_ = id;
  name_ = std::string("Sim ") + kTypeName[static_cast<int>(type_)] + " " + id_;
  device_ = "MIC-" + std::to_string(10000 + (options.seed * 7919 + index * 104729) % 90000);
  modules_ = "core,1.4;gps,2.1";
  trig1_ = levels_.Trig1();
  trig2_ = levels_.Trig2();
  historyStart_ = DayOf(LocalNow()) - static_cast<LocalSeconds>(options.days) * 86400;
}

void Monitor::Log(const char* what, const std::string& text) const {
  if (!options_.verbose) return;
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::system_clock::now().time_since_epoch())
                      .count();
  std::printf("%lld.%03lld %s %s %s\n", static_cast<long long>(ms / 1000 % 100000),
              static_cast<long long>(ms % 1000), id_.c_str(), what, text.c_str());
}

std::string Monitor::DiscoveryAnswer() const {
  return std::string(kTypeToken[static_cast<int>(type_)]) + "&" + id_ + "&" + name_;
}

void Monitor::Start() { Connect(); }

void Monitor::Connect() {
  const std::uint64_t gen = ++generation_;
  socket_ = asio::ip::tcp::socket(io_);
  socket_.async_connect(server_, [this, gen](const asio::error_code& ec) {
    if (gen != generation_) return;
    if (ec) {
      Log("connect failed:", ec.message());
      Drop(2.0);
      return;
    }
    asio::error_code ignored;
    socket_.set_option(asio::ip::tcp::no_delay(true), ignored);
    connected_ = true;
    Log("connected", "");
    Read();
  });
}

void Monitor::Drop(double reconnectAfter) {
  ++generation_;
  asio::error_code ignored;
  socket_.close(ignored);
  connected_ = false;
  live_ = live1s_ = false;
  pending_.clear();
  inflight_.clear();
  writing_ = false;
  jobs_.clear();
  input_.consume(input_.size());
  if (!options_.reconnect || reconnectAfter < 0) return;
  retry_.expires_after(std::chrono::milliseconds(static_cast<int>(reconnectAfter * 1000)));
  retry_.async_wait([this](const asio::error_code& ec) {
    if (!ec) Connect();
  });
}

void Monitor::Read() {
  const std::uint64_t gen = generation_;
  asio::async_read_until(socket_, input_, '\n',
                         [this, gen](const asio::error_code& ec, std::size_t n) {
                           if (gen != generation_) return;
                           if (ec) {
                             Log("connection closed:", ec.message());
                             Drop(2.0);
                             return;
                           }
                           std::string line(asio::buffers_begin(input_.data()),
                                            asio::buffers_begin(input_.data()) + n);
                           input_.consume(n);
                           while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
                             line.pop_back();
                           if (!line.empty()) Handle(line);
                           if (gen == generation_) Read();
                         });
}

void Monitor::Send(const std::string& line) {
  if (!connected_) return;
  Log(">", line);
  pending_ += line;
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
                        Drop(2.0);
                        return;
                      }
                      Pump();
                      Flush();
                    });
}

void Monitor::Handle(const std::string& line) {
  Log("<", line);
  const auto f = Split(line, '&');
  const std::string& cmd = f[0];
  const int t = static_cast<int>(type_);
  if (cmd == "cnx") {
    if (type_ == MonitorType::Dt)
      Send(std::string(kTypeToken[t]) + "&" + id_);
    else if (type_ == MonitorType::Ng)
      Send("cpng&" + id_ + "&" + name_ + "&" + device_ + "&" + modules_);
    else if (index_ % 2)
      Send("cpse&" + id_ + "&" + name_ + "&" + modules_);
    else
      Send("cpse&" + id_ + "&" + name_ + "&" + device_ + "&" + modules_);
    // A monitor reports its recent alarms (ages in seconds) when it comes up.
    std::string ages;
    const LocalSeconds now = Now();
    for (LocalSeconds day = DayOf(now) - 86400; day <= now; day += 86400)
      for (int i = 0; i < levels_.AlarmsOnDay(day); ++i) {
        const LocalSeconds at = levels_.AlarmTime(day, i);
        if (at > now - 3600 && at <= now)
          ages += (ages.empty() ? "" : ";") + std::to_string(now - at);
      }
    Send("alarms&" + ages);
  } else if (cmd == "ping") {
    if (options_.pong) Send("pong&" + std::to_string(35 + (index_ * 13) % 36));
  } else if (line == "live&start&1") {
    live_ = true;
  } else if (line == "live&stop&0") {
    live_ = false;
  } else if (cmd == "getleqbuf") {
    std::string values;
    const LocalSeconds now = Now();
    for (LocalSeconds s = now - 900; s < now; ++s)
      values += (values.empty() ? "" : ",") + Tenths(levels_.Tenths(s));
    Send("leqbuf&" + values);
  } else if (line == "live1s&start") {
    live1s_ = true;
  } else if (line == "live1s&stop") {
    live1s_ = false;
  } else if (cmd == "setclk" && f.size() == 3) {
    const LocalSeconds set = ParseDateTime(f[1], f[2]);
    if (set >= 0) clockOffset_ = set - LocalNow();
  } else if (cmd == "getsettings") {
    Send("getsettings&name=" + name_ + "&trig1=" + std::to_string(trig1_) +
         "&trig2=" + std::to_string(trig2_) + "&ledmin=30&ledmax=110&period=15");
  } else if (cmd == "setsettings") {
    for (std::size_t i = 1; i < f.size(); ++i) {
      const auto kv = Split(f[i], '=');
      if (kv.size() != 2) continue;
      if (kv[0] == "name") name_ = kv[1];
      if (kv[0] == "trig1") trig1_ = std::atoi(kv[1].c_str());
      if (kv[0] == "trig2") trig2_ = std::atoi(kv[1].c_str());
    }
    Send("setsettings&ok");
  } else if (cmd == "reboot") {
    Send("rebooting");
    Drop(5.0);
  } else if (cmd == "shutdown") {
    Drop(-1);
  } else if (cmd == "getper" && f.size() == 3) {
    StartJob('p', f[1], std::atoi(f[2].c_str()));
  } else if (cmd == "getalm" && f.size() == 2) {
    StartJob('a', f[1], 0);
  } else if (cmd == "getcal" && f.size() == 2) {
    StartJob('c', f[1], 0);
  } else if (cmd == "getprf" && f.size() == 2) {
    StartJob('f', f[1], 0);
  }
}

void Monitor::Tick(int tick) {
  if (!connected_) return;
  const LocalSeconds now = Now();
  const int level = levels_.Tenths(now);
  if (live_) {
    const int jitter = static_cast<int>((tick * 37 + index_ * 11) % 41) - 20;
    Send("live&laf=" + Tenths(level + jitter) + "&ledmin=30&ledmax=110&trig1=" +
         std::to_string(trig1_) + "&trig2=" + std::to_string(trig2_));
  }
  if ((tick + index_) % 10 != 0) return;  // once a second from here on
  if (live1s_)
    Send("live1s&laeq=" + Tenths(level) + "&trig1=" + std::to_string(trig1_) +
         "&trig2=" + std::to_string(trig2_));
  // Three seconds above the red trigger make an alarm, at most one a minute.
  loudSeconds_ = level >= trig2_ * 10 ? loudSeconds_ + 1 : 0;
  if (loudSeconds_ >= 3 && now - lastAlarm_ >= 60) {
    lastAlarm_ = now;
    loudSeconds_ = 0;
    Send("alarm");
  }
}

void Monitor::StartJob(char kind, const std::string& start, int period) {
  LocalSeconds from = ParseDateTime(start.substr(0, 10), start.size() > 11 ? start.substr(11) : "");
  if (from < historyStart_) from = historyStart_;
  if (kind == 'p') {
    if (period <= 0) period = 5;
    const LocalSeconds step = period * 60;
    from = (from + step - 1) / step * step;
  }
  jobs_.push_back(Job{kind, period, from, Now(), -1});
  Pump();
}

std::string Monitor::DatePrefix(const char* command, LocalSeconds t) const {
  const Civil c = ToCivil(t);
  char text[64];
  std::snprintf(text, sizeof text, "%s&%04d&%02d&%02d&", command, c.year, c.month, c.day);
  return text;
}

std::string Monitor::PerValues(LocalSeconds t) const {
  const int laeq = levels_.Tenths(t);
  const int values[] = {laeq, laeq + 85, laeq + 30, laeq - 55};
  std::string out;
  for (int v : values) {
    out += ",";
    // Quietmark-SE reports tenths of a dB as whole numbers, Quietmark-NG decimals.
    out += type_ == MonitorType::Se ? std::to_string(v) : Tenths(v);
  }
  return out;
}

void Monitor::Pump() {
  while (connected_ && pending_.size() < kHighWater && !jobs_.empty()) {
    if (!PumpOne(jobs_.front())) jobs_.pop_front();
  }
  Flush();
}

// Sends the next few lines of a download; false when its end marker has gone.
bool Monitor::PumpOne(Job& job) {
  const LocalSeconds day = DayOf(job.cursor);
  const bool done = job.cursor > job.end;
  if (job.kind == 'p') {
    const std::string prefix = "per&";
    if (done) {
      Send(DatePrefix("per", job.end) + std::to_string(job.period) + "&.end");
      return false;
    }
    const std::string head = DatePrefix("per", job.cursor) + std::to_string(job.period) + "&";
    if (job.headerDay != day) {
      job.headerDay = day;
      Send(head + ".time,laeq,lmax,l10,l90");
    }
    Send(head + TimeText(job.cursor) + PerValues(job.cursor));
    job.cursor += job.period * 60;
    return true;
  }
  if (job.kind == 'a' || job.kind == 'c') {
    const char* command = job.kind == 'a' ? "alm" : "cal";
    if (done) {
      Send(DatePrefix(command, job.end) + ".end");
      return false;
    }
    std::string records;
    if (job.kind == 'a') {
      for (int i = 0; i < levels_.AlarmsOnDay(day); ++i) {
        const LocalSeconds at = levels_.AlarmTime(day, i);
        if (at < job.cursor || at > job.end) continue;
        records += (records.empty() ? "" : ";") + TimeText(at) + "," +
                   std::to_string(levels_.AlarmDuration(day, i)) + "," +
                   Tenths(levels_.Tenths(at) + 150);
      }
    } else if (day + 6 * 3600 >= job.cursor && day + 6 * 3600 <= job.end) {
      records = "06:00:00,94.0,0.1";
    }
    if (!records.empty()) {
      Send(DatePrefix(command, day) +
           (job.kind == 'a' ? ".time,duration,lmax" : ".time,reference,offset"));
      Send(DatePrefix(command, day) + records);
    }
    job.cursor = day + 86400;
    return true;
  }
  // prf: blocks of up to 600 one-second values, never across midnight.
  if (done) {
    Send(DatePrefix("prf", job.end) + ".end&0");
    return false;
  }
  if (job.headerDay != day) {
    job.headerDay = day;
    Send(DatePrefix("prf", day) + ".time&laeq");
  }
  LocalSeconds stop = job.cursor + 600;
  if (stop > day + 86400) stop = day + 86400;
  if (stop > job.end + 1) stop = job.end + 1;
  std::string values;
  values.reserve(static_cast<std::size_t>(stop - job.cursor) * 4);
  for (LocalSeconds s = job.cursor; s < stop; ++s) {
    if (s != job.cursor) values += ',';
    values += std::to_string(levels_.Tenths(s));
  }
  Send(DatePrefix("prf", day) + TimeText(job.cursor) + "&" + values);
  job.cursor = stop;
  return true;
}

}  // namespace qmsim
