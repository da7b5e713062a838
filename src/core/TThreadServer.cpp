#include "core/TThreadServer.h"

#include "core/LineSplit.h"
#include "core/LogCut.h"
#include "core/Text.h"

#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>

#include <algorithm>
#include <iterator>
#include <string>

class Listener {
 public:
  asio::io_context io;
  asio::ip::tcp::acceptor acceptor{io};
};

namespace {
const QString kReadTerminated =
    QStringLiteral("TThreadServer.idserverExecute(): Read terminated, buffer emptied");
}

TThreadServer::TThreadServer(IServerHost* host, int port, const std::atomic<bool>* debugLog)
    : host_(host),
      port_(static_cast<quint16>(port & 0xFFFF)),
      debugLog_(debugLog),
      uiContext_(new QObject),
      rxResume_(new QTimer(uiContext_)),
      rxHold_(new QTimer(uiContext_)),
      listener_(std::make_unique<Listener>()) {
  // A paused drain goes on once the interface thread's due timers have run.
  rxResume_->setSingleShot(true);
  rxResume_->setInterval(0);
  QObject::connect(rxResume_, &QTimer::timeout, uiContext_, [this] {
    rxPaused_ = false;
    rxSlice_.invalidate();
    DrainRx(false);
  });
  rxHold_->setSingleShot(true);
  rxHold_->setInterval(kRxHoldMs);
  QObject::connect(rxHold_, &QTimer::timeout, uiContext_, [this] { RxHoldOver(); });
  thread_ = QThread::create([this] { Execute(); });
  thread_->setObjectName(QStringLiteral("thserver"));
  thread_->start();
}

TThreadServer::~TThreadServer() {
  {
    std::lock_guard lock(wakeLock_);
    stop_ = true;
  }
  wake_.notify_one();
  {
    // Keep serving hand-overs: readers blocked in one must finish before the listener can end.
    QEventLoop loop;
    QObject::connect(thread_, &QThread::finished, &loop, &QEventLoop::quit);
    if (!thread_->isFinished()) loop.exec();
  }
  thread_->wait();
  delete thread_;
  delete uiContext_;
}

template <class F>
void TThreadServer::Sync(F&& drain) {
  if (QThread::currentThread() == uiContext_->thread()) {
    drain();
    return;
  }
  QMetaObject::invokeMethod(uiContext_, std::forward<F>(drain), Qt::BlockingQueuedConnection);
}

void TThreadServer::QueueLog(const TCtx* ctx, const QString& text) {
  AddLog(ctx, text);
  SyncLog();
}

void TThreadServer::PushLog(const TCtx* ctx, const QString& text) {
  AddLog(ctx, text);
  readerLogs_ = true;
}

void TThreadServer::AddLog(const TCtx* ctx, const QString& text) {
  tlLog.With([&](std::vector<QString>& queue) {
    if (!ctx) {
      queue.push_back(text);
    } else {
      for (const QString& line : logRepeats_.Pass((*ctx)->Number(), text))
        queue.push_back(line + CtxSuffix(*ctx));
    }
  });
}

bool TThreadServer::DebugOn() const { return debugLog_ && debugLog_->load(); }

void TThreadServer::QueueDebug(const TCtx* ctx, const QString& text) {
  if (!DebugOn()) return;
  PushDebug(ctx, text);
  SyncDebug();
}

void TThreadServer::PushDebug(const TCtx* ctx, const QString& text) {
  tlDebug.Push(ctx ? text + CtxSuffix(*ctx) : text);
}

void TThreadServer::SyncNewCnx() {
  Sync([this] {
    host_->Debug(QStringLiteral("TThreadServer.SyncNewCnx"));
    for (const TCtx& ctx : tlNewCtx.TakeAll())
      if (ctx) host_->NewConnection(ctx);
  });
}

void TThreadServer::SyncNewRx() {
  Sync([this] {
    host_->Debug(QStringLiteral("TThreadServer.SyncNewRx()"));
    DrainRx(false);
  });
}

// Waiting for every hand-over cost the interface thread a thread wake-up per received batch,
// which with 2000 streaming monitors was most of its time; order is kept by the one queue, and a
// connection's end still drains its lines first. After a drain the readers stop posting for a
// few milliseconds and the interface thread collects what came meanwhile, so a busy fleet wakes
// it a few hundred times a second instead of once per line, and a lone line still goes at once.
void TThreadServer::PostNewRx() {
  if (rxPosted_.exchange(true)) return;
  QMetaObject::invokeMethod(
      uiContext_,
      [this] {
        host_->Debug(QStringLiteral("TThreadServer.SyncNewRx()"));
        DrainRx(false);
        rxHold_->start();
      },
      Qt::QueuedConnection);
}

void TThreadServer::RxHoldOver() {
  if (DrainRx(false)) {
    rxHold_->start();
    return;
  }
  rxPosted_ = false;
  // Lines queued between the empty drain and the line above posted nothing.
  if (DrainRx(false)) {
    rxPosted_ = true;
    rxHold_->start();
  }
}

bool TThreadServer::DrainRx(bool all) {
  if (rxPaused_ && !all) return true;
  if (!rxSlice_.isValid()) rxSlice_.start();
  bool handed = false;
  for (;;) {
    if (rxTaken_.empty()) {
      // Taken only when the last lines are done, so the readers' queue keeps its limit.
      for (TTxCmd& rx : tlRxBuf.TakeAll()) rxTaken_.push_back(std::move(rx));
      if (rxTaken_.empty()) {
        rxSlice_.invalidate();
        return handed;
      }
    }
    const TTxCmd rx = std::move(rxTaken_.front());
    rxTaken_.pop_front();
    host_->ServerRx(rx.ctx, rx.sCmd);
    if (rx.ctx) rx.ctx->LineHandled();
    handed = true;
    if (!all && rxSlice_.isValid() && rxSlice_.elapsed() >= kRxSliceMs) {
      rxPaused_ = true;
      rxResume_->start();
      return true;
    }
  }
}

void TThreadServer::SyncLog() {
  Sync([this] { DrainLog(); });
}

void TThreadServer::SyncDebug() {
  Sync([this] { DrainDebug(); });
}

void TThreadServer::DrainLog() {
  for (const QString& text : tlLog.TakeAll()) host_->Log(text);
}

void TThreadServer::DrainDebug() {
  for (const QString& text : tlDebug.TakeAll()) host_->Debug(text);
}

bool TThreadServer::Send(const TCtx& ctx, const QString& sTx) {
  if (DebugOn())
    QueueDebug(ctx ? &ctx : nullptr, QStringLiteral("TThreadServer.Send(): ") + qmlog::Cut(sTx));
  if (!ctx) return false;
  const bool queued = tlTxBuf.With([&](std::vector<TTxCmd>& queue) {
    // The limit holds per connection, so a peer that floods us with lines to answer cannot
    // crowd out the pings and requests of the other monitors.
    int& waiting = txWaiting_[ctx.get()];
    if (static_cast<std::size_t>(waiting) >= kMaxTx) return false;
    ++waiting;
    queue.push_back({sTx, ctx});
    return true;
  });
  if (queued) {
    {
      std::lock_guard lock(wakeLock_);
      linesQueued_ = true;
    }
    wake_.notify_one();
    return true;
  }
  QueueLog(&ctx, QStringLiteral("TThreadServer.Send(): TX buffer full or ctx == 0"));
  return false;
}

void TThreadServer::Execute() {
  auto& acceptor = listener_->acceptor;
  asio::error_code ec;
  const asio::ip::tcp::endpoint endpoint(asio::ip::address_v4::any(), port_);
  acceptor.open(endpoint.protocol(), ec);
  if (!ec) acceptor.set_option(asio::ip::tcp::acceptor::reuse_address(true), ec);
  if (!ec) acceptor.bind(endpoint, ec);
  if (!ec) acceptor.listen(asio::socket_base::max_listen_connections, ec);
  if (ec) {
    // Without this line a port in use would leave no trace at all.
    QueueLog(nullptr, QStringLiteral("Failed to listen on port %1: %2")
                          .arg(port_)
                          .arg(QString::fromStdString(ec.message())));
    return;
  }
  boundPort_ = acceptor.local_endpoint(ec).port();
  QueueLog(nullptr, QStringLiteral("Listening on port ") + QString::number(boundPort_.load()));
  for (int i = 0; i < kReadLoops; ++i)
    readLoops_.push_back(std::make_unique<TReadLoop>(static_cast<TReadLoop::Host*>(this)));
  listenThread_ = std::thread([this] { ListenLoop(); });

  // A queued line wakes the writer, so a greeting does not wait for the rest of the cycle; full
  // sockets are tried again every 100 ms.
  constexpr std::chrono::milliseconds kCycle(100);
  while (!stop_) {
    SendBuf();
    WaitForLines(std::chrono::steady_clock::now() + kCycle);
  }
  SendBuf();

  ShutdownSocket(acceptor.native_handle());
  listenThread_.join();
  acceptor.close(ec);
  for (auto& loop : readLoops_) loop->Stop();
  for (auto& loop : readLoops_) loop->Join();
  readLoops_.clear();
  outgoing_.clear();
  tlTxBuf.With([this](std::vector<TTxCmd>& queue) {
    queue.clear();
    txWaiting_.clear();
  });
}

void TThreadServer::WaitForLines(std::chrono::steady_clock::time_point until) {
  std::unique_lock lock(wakeLock_);
  wake_.wait_until(lock, until, [this] { return linesQueued_ || stop_; });
  linesQueued_ = false;
}

void TThreadServer::ListenLoop() {
  auto& acceptor = listener_->acceptor;
  std::size_t nextLoop = 0;
  std::vector<std::pair<TCtx, TReadLoop*>> batch;
  while (!stop_) {
    // Waits for one connection, then takes the others already waiting, so a burst of monitors
    // is announced to the interface thread in a few hand-overs.
    for (;;) {
      TReadLoop& loop = *readLoops_[nextLoop % readLoops_.size()];
      asio::error_code ec;
      asio::ip::tcp::socket socket = acceptor.accept(loop.Context(), ec);
      if (ec) {
        if (batch.empty() && !stop_ && ec != asio::error::connection_aborted)
          // Out of descriptors or a peer that gave up while queued: wait a little and go on.
          QThread::msleep(50);
        break;
      }
      ++nextLoop;
      auto ctx = std::make_shared<TCnx>(std::move(socket), nextNumber_++);
      ++cnxCount_;
      QueueDebug(&ctx, QStringLiteral("TThreadServer.idserverConnect()"));
      tlNewCtx.Push(ctx);
      batch.emplace_back(std::move(ctx), &loop);
      if (batch.size() == 1) acceptor.non_blocking(true, ec);
      if (batch.size() >= std::size_t(kAcceptBatch)) break;
    }
    if (batch.empty()) continue;
    asio::error_code ec;
    acceptor.non_blocking(false, ec);
    // Every accepted connection is announced and read, even at the stop, so each gets its end.
    SyncNewCnx();
    for (auto& [ctx, loop] : batch) loop->Add(ctx);
    batch.clear();
  }
}

void TThreadServer::Received(const TCtx& ctx, std::string& pending, const char* data,
                             std::size_t n) {
  bool handOver = false;
  // An over-long line: everything buffered goes, the connection stays.
  const int overlong = qmtext::SplitReceived(
      pending, data, n, static_cast<std::size_t>(kMaxLine), [&](const QString& line) {
        if (DebugOn())
          QueueDebug(&ctx,
                     QStringLiteral("TThreadServer.idserverExecute(): RX:") + qmlog::Cut(line));
        // A full queue makes this reader wait for the interface thread instead of losing the
        // line: with several busy readers the queue can fill between two drains. It waits for
        // the next drain to make room; a hand-over of its own for each try kept the interface
        // thread waking readers that found the queue still full.
        ctx->LineQueued();
        const auto chars = static_cast<std::size_t>(line.size());
        while (!tlRxBuf.TryPush({line, ctx}, kMaxRx, chars, kMaxRxChars)) {
          PostNewRx();
          if (!tlRxBuf.WaitForRoom(kMaxRx, kRoomWait, kMaxRxChars)) SyncNewRx();
        }
        handOver = true;
      });
  for (int i = 0; i < overlong; ++i) PushLog(&ctx, kReadTerminated);
  if (handOver) PostNewRx();
}

void TThreadServer::Ended(const TCtx& ctx) {
  PushLog(&ctx, kReadTerminated);
  ctx->Release();
  --cnxCount_;
  tlLog.With([&](std::vector<QString>&) { logRepeats_.Forget(ctx->Number()); });
  if (DebugOn()) PushDebug(&ctx, QStringLiteral("TThreadServer.idserverDisconnect()"));
  tlDeleteCtx.Push(ctx);
}

// One hand-over per round for what the readers left, so a reader thread serving hundreds of
// connections does not wait for the interface thread once per closed connection or log line.
void TThreadServer::RoundDone(bool ended) {
  if (!readerLogs_.exchange(false) && !ended) return;
  Sync([this] {
    DrainLog();
    DrainDebug();
    std::vector<TCtx> ended = tlDeleteCtx.TakeAll();
    if (ended.empty()) return;
    host_->Debug(QStringLiteral("TThreadServer.SyncDeleteCnx"));
    // None of a connection's lines comes after its end.
    DrainRx(true);
    for (const TCtx& ctx : ended) host_->DeleteConnection(ctx);
  });
}

void TThreadServer::SendBuf() {
  std::vector<TTxCmd> batch = tlTxBuf.TakeAll();
  for (TTxCmd& tx : batch) {
    Outgoing& out = outgoing_[tx.ctx.get()];
    if (!out.ctx) out.ctx = tx.ctx;
    out.lines.push_back(std::move(tx.sCmd));
  }
  // Never waits on a socket: a peer that does not read keeps its lines and is skipped, so the
  // greetings and pings of the others go out in this cycle.
  const auto now = std::chrono::steady_clock::now();
  for (auto it = outgoing_.begin(); it != outgoing_.end();) {
    Outgoing& out = it->second;
    const int written = out.ctx->IsOpen() ? Flush(out) : -1;
    bool drop = written < 0;
    if (drop && out.ctx->IsOpen()) {
      QueueLog(nullptr, QStringLiteral("TThreadServer.SendBuf(): EXCEPTION"));
    } else if (!drop && !out.lines.empty()) {
      if (!out.full) {
        out.full = true;
        out.fullSince = now;
      } else if (now - out.fullSince >= std::chrono::milliseconds(stuckCloseMs_.load())) {
        QueueLog(&out.ctx, out.ctx->PeerAddress() +
                               QStringLiteral(": not reading, connection closed after %1 s")
                                   .arg(stuckCloseMs_.load() / 1000));
        drop = true;
      }
    }
    Sent(it->first, written > 0 ? written : 0);
    if (drop) {
      out.ctx->Close();
      // Nothing more goes out on it: its count goes too (lines written before a failure
      // included), so a later connection at the same address starts from zero.
      tlTxBuf.With([&](std::vector<TTxCmd>&) { txWaiting_.erase(it->first); });
      it = outgoing_.erase(it);
    } else if (out.lines.empty()) {
      it = outgoing_.erase(it);
    } else {
      ++it;
    }
  }
}

int TThreadServer::Flush(Outgoing& out) {
  int done = 0;
  while (!out.lines.empty()) {
    if (out.front.isEmpty()) {
      if (DebugOn())
        QueueDebug(&out.ctx,
                   QStringLiteral("TThreadServer.SendBuf(): ") + qmlog::Cut(out.lines.front()));
      out.front = qmtext::ToAscii(out.lines.front());
      out.front += "\r\n";
      out.written = 0;
    }
    const qsizetype n =
        out.ctx->WriteSome(out.front.constData() + out.written, out.front.size() - out.written);
    if (n < 0) return -1;
    out.written += n;
    if (out.written < out.front.size()) return done;  // the socket is full
    out.front.clear();
    out.lines.pop_front();
    out.full = false;
    ++done;
  }
  return done;
}

void TThreadServer::Sent(const TCnx* cnx, int lines) {
  if (lines <= 0) return;
  tlTxBuf.With([&](std::vector<TTxCmd>&) {
    const auto it = txWaiting_.find(cnx);
    if (it == txWaiting_.end()) return;
    it->second -= lines;
    if (it->second <= 0) txWaiting_.erase(it);
  });
}
