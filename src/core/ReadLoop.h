#pragma once

#include "core/TCnx.h"

#include <asio/io_context.hpp>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

// One thread that reads many connections: it waits for all of its sockets at once, reads what
// each has, and then rests a few milliseconds before it looks again. A fleet streaming ten lines
// a second per monitor wakes it a few hundred times a second; a thread blocked on each socket
// woke once per line, and those wake-ups were most of the program's time.
class TReadLoop {
 public:
  // Called on the loop's thread.
  class Host {
   public:
    virtual ~Host() = default;
    // Bytes of one connection; `pending` holds its unfinished line between calls.
    virtual void Received(const TCtx& ctx, std::string& pending, const char* data,
                          std::size_t n) = 0;
    // The connection has ended (closed by either side or failed); nothing more is read from it.
    virtual void Ended(const TCtx& ctx) = 0;
    // After each round; ended tells whether connections ended in it.
    virtual void RoundDone(bool ended) = 0;
  };

  // Between two looks at the sockets: long enough to gather a round's lines, short against the
  // interface thread's 100 ms tick.
  static constexpr std::chrono::milliseconds kRest{5};
  static constexpr std::chrono::milliseconds kRound{20};
  // One connection's bytes per turn, so a fast download does not hold back the others.
  static constexpr std::size_t kTurnBytes = 256 * 1024;

  // Runs until Stop() and the end of every connection added.
  explicit TReadLoop(Host* host);
  ~TReadLoop();
  TReadLoop(const TReadLoop&) = delete;
  TReadLoop& operator=(const TReadLoop&) = delete;

  // Sockets read by this loop must be made for this context.
  asio::io_context& Context() { return io_; }
  // Any thread: starts reading ctx.
  void Add(const TCtx& ctx);
  // Any thread: closes every connection added so far; the loop ends once they have ended.
  void Stop();
  void Join();

 private:
  struct Conn {
    TCtx ctx;
    std::string pending;
    // A streaming monitor's line fits; more is read into the loop's buffer.
    std::array<char, 1024> first;
  };
  void Run();
  // Waits for ctx's next bytes, or parks it while its records wait for the disk.
  void Arm(Conn& conn);
  void OnRead(Conn& conn, std::size_t n);
  void End(Conn& conn);
  void ResumeParked();

  Host* host_;
  asio::io_context io_;
  // When the current round began handling reads (steady clock, ns); 0 while the loop waits or
  // rests.
  std::atomic<std::int64_t> roundSince_{0};
  // The loop's own.
  bool stopping_ = false;
  std::unordered_map<const TCnx*, Conn> conns_;
  std::vector<Conn*> parked_;
  std::vector<char> buffer_;
  bool busy_ = false;   // a connection had more than a turn's bytes this round
  bool ended_ = false;  // a connection ended this round
  std::thread thread_;
};
