#include "core/ReadLoop.h"

#include <asio/executor_work_guard.hpp>
#include <asio/post.hpp>

#include <pthread.h>

TReadLoop::TReadLoop(Host* host) : host_(host), buffer_(64 * 1024) {
  thread_ = std::thread([this] { Run(); });
  pthread_setname_np(thread_.native_handle(), "qmread");
}

TReadLoop::~TReadLoop() {
  Stop();
  Join();
}

void TReadLoop::Add(const TCtx& ctx) {
  asio::post(io_, [this, ctx] {
    Conn& conn = conns_[ctx.get()];
    conn.ctx = ctx;
    ctx->WatchReader(&roundSince_);
    Arm(conn);
  });
}

void TReadLoop::Stop() {
  // Runs after every Add posted before it, so no connection comes later.
  asio::post(io_, [this] {
    stopping_ = true;
    for (auto& [cnx, conn] : conns_) conn.ctx->Close();
  });
}

void TReadLoop::Join() {
  if (thread_.joinable()) thread_.join();
}

void TReadLoop::Run() {
  auto work = asio::make_work_guard(io_);
  while (!(stopping_ && conns_.empty())) {
    // Parked connections are looked at again after a rest even when no socket stirs.
    if (parked_.empty())
      io_.run_one();
    else
      io_.run_one_for(kRest);
    const auto woke = std::chrono::steady_clock::now();
    busy_ = false;
    // Ready sockets keep coming while a fleet downloads: parked and ended connections still get
    // their turn after a round of at most kRound.
    while (io_.poll_one() != 0 && std::chrono::steady_clock::now() - woke < kRound) {
    }
    ResumeParked();
    host_->RoundDone(ended_);
    ended_ = false;
    roundSince_ = 0;
    if (!busy_) std::this_thread::sleep_until(woke + kRest);
  }
}

void TReadLoop::Arm(Conn& conn) {
  if (conn.ctx->StoringFull() && conn.ctx->IsOpen()) {
    parked_.push_back(&conn);
    return;
  }
  // Asio reads at once when the socket may hold more and otherwise waits for the next bytes
  // without touching the poll set, so a quiet socket costs no system call per line.
  conn.ctx->ReadAsync(conn.first.data(), conn.first.size(),
                      [this, &conn](const asio::error_code& ec, std::size_t n) {
                        if (ec)
                          End(conn);
                        else
                          OnRead(conn, n);
                      });
}

void TReadLoop::OnRead(Conn& conn, std::size_t n) {
  // The first handler of a round: the round's reads may now wait on the interface thread.
  if (roundSince_.load(std::memory_order_relaxed) == 0)
    roundSince_ = std::chrono::duration_cast<std::chrono::nanoseconds>(
                      std::chrono::steady_clock::now().time_since_epoch())
                      .count();
  host_->Received(conn.ctx, conn.pending, conn.first.data(), n);
  // A short read took everything there was.
  std::size_t total = n;
  bool more = n == conn.first.size();
  while (more && !conn.ctx->StoringFull()) {
    if (total >= kTurnBytes) {
      busy_ = true;
      break;
    }
    const qsizetype got = conn.ctx->ReadSome(buffer_.data(), buffer_.size());
    if (got < 0) {
      End(conn);
      return;
    }
    if (got == 0) break;
    host_->Received(conn.ctx, conn.pending, buffer_.data(), static_cast<std::size_t>(got));
    total += static_cast<std::size_t>(got);
    more = static_cast<std::size_t>(got) == buffer_.size();
  }
  Arm(conn);
}

void TReadLoop::End(Conn& conn) {
  const TCtx ctx = conn.ctx;
  conns_.erase(ctx.get());
  host_->Ended(ctx);
  ended_ = true;
}

void TReadLoop::ResumeParked() {
  std::vector<Conn*> parked;
  parked.swap(parked_);
  for (Conn* conn : parked) Arm(*conn);
}
