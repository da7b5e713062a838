#pragma once

#include "core/LockedQueue.h"
#include "core/ReadLoop.h"
#include "core/RepeatFilter.h"
#include "core/TCnx.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

class QThread;
class QTimer;

// What the server hands over to the interface thread.
class IServerHost {
 public:
  virtual ~IServerHost() = default;
  virtual void NewConnection(const TCtx& ctx) = 0;
  virtual void DeleteConnection(const TCtx& ctx) = 0;
  virtual void ServerRx(const TCtx& ctx, const QString& line) = 0;
  virtual void Log(const QString& text) = 0;
  virtual void Debug(const QString& text) = 0;
};

struct TTxCmd {
  QString sCmd;
  TCtx ctx;
};

// The TCP transport: a listener on its own thread, reader threads that each read many
// connections, and the server thread that writes every queued line within 100 ms (woken when one
// is queued). Everything it receives is handed over to the interface thread (the thread that
// created it) in the order it arrived.
class TThreadServer : private TReadLoop::Host {
 public:
  static constexpr int kMaxLine = 48000;
  static constexpr std::size_t kMaxTx = 256;
  static constexpr std::size_t kMaxRx = 2048;
  // And at most this many characters: record lines of thousands of characters each would
  // otherwise hold tens of MiB between a reader and the interface thread.
  static constexpr std::size_t kMaxRxChars = std::size_t(1) << 20;
  // How long a reader waits for room in a full queue before it hands over and waits for that.
  static constexpr std::chrono::milliseconds kRoomWait{1000};
  static constexpr int kWriteTimeoutMs = 2000;
  // Two, so that splitting a fleet's downloads into lines keeps up with the interface thread.
  static constexpr int kReadLoops = 2;
  // Connections announced to the interface thread in one hand-over when they come at once.
  static constexpr int kAcceptBatch = 64;
  // A connection whose socket stays full this long (a peer that does not read) is closed.
  static constexpr int kStuckCloseMs = 30000;
  // The interface thread handles received lines for at most this long before its timers and
  // windows get a turn: a fleet sending its stored records at once cannot freeze it.
  static constexpr int kRxSliceMs = 30;
  static constexpr int kRxHoldMs = 5;

  // Starts the server thread at once; it listens on the low 16 bits of port.
  TThreadServer(IServerHost* host, int port, const std::atomic<bool>* debugLog);
  // Stops and waits for the end of every thread; the interface thread keeps serving hand-overs
  // meanwhile.
  ~TThreadServer();
  TThreadServer(const TThreadServer&) = delete;
  TThreadServer& operator=(const TThreadServer&) = delete;

  // Queues one line for a connection; false (the line dropped) with a null connection or when
  // 256 lines already wait for that connection. Never blocks on the network.
  bool Send(const TCtx& ctx, const QString& sTx);
  int CnxCount() const { return cnxCount_.load(); }
  // The port actually bound; 0 before listening or when the listener failed.
  quint16 BoundPort() const { return boundPort_.load(); }
  // Before any connection (tests): how long a full socket may stay undrained.
  void SetStuckCloseMs(int ms) { stuckCloseMs_ = ms; }

 private:
  void Execute();
  // Waits until a line is queued, the server stops or the time comes.
  void WaitForLines(std::chrono::steady_clock::time_point until);
  void ListenLoop();
  // Reader threads.
  void Received(const TCtx& ctx, std::string& pending, const char* data, std::size_t n) override;
  void Ended(const TCtx& ctx) override;
  void RoundDone(bool ended) override;
  void SendBuf();
  // The lines of one connection not yet taken by its socket. Server thread only.
  struct Outgoing {
    TCtx ctx;
    std::deque<QString> lines;
    QByteArray front;  // the first line's bytes while it is being written
    qsizetype written = 0;
    bool full = false;  // a write left bytes behind, and it has not drained since
    std::chrono::steady_clock::time_point fullSince;
  };
  // Writes lines until the socket is full; the lines written, -1 when the connection failed.
  int Flush(Outgoing& out);
  // Lines that left the queue (written or dropped) no longer count against the limit.
  void Sent(const TCnx* cnx, int lines);

  void QueueLog(const TCtx* ctx, const QString& text);
  // Reader threads: queues a log line for the hand-over at the end of their round.
  void PushLog(const TCtx* ctx, const QString& text);
  void AddLog(const TCtx* ctx, const QString& text);
  // Per-line debug texts are built only when debug logging is on: at thousands of lines a
  // second the building alone showed in the profile.
  bool DebugOn() const;
  void QueueDebug(const TCtx* ctx, const QString& text);
  // Queues a debug text without handing it over; the caller has checked DebugOn().
  void PushDebug(const TCtx* ctx, const QString& text);
  // Runs a drain on the interface thread and waits for it.
  template <class F>
  void Sync(F&& drain);
  void SyncNewCnx();
  void SyncNewRx();
  // Reader threads: has the interface thread drain the received lines without waiting for it;
  // at most one such drain is on its way.
  void PostNewRx();
  void RxHoldOver();
  // Interface thread: hands the received lines to the host in order, one slice at a time, or
  // all of them (before a connection's end, so none of its lines comes after it).
  // True when it handed lines over or some are left for a later slice.
  bool DrainRx(bool all);
  void SyncLog();
  void SyncDebug();
  // Interface thread: hands the queued log or debug texts to the host.
  void DrainLog();
  void DrainDebug();

  IServerHost* host_;
  const quint16 port_;
  const std::atomic<bool>* debugLog_;
  QObject* uiContext_;  // lives on the interface thread
  QThread* thread_ = nullptr;

  std::atomic<bool> stop_{false};
  std::mutex wakeLock_;
  std::condition_variable wake_;
  bool linesQueued_ = false;  // with wakeLock_ held
  std::atomic<int> cnxCount_{0};
  std::atomic<quint16> boundPort_{0};
  std::atomic<quint64> nextNumber_{1};

  TLockedQueue<TTxCmd> tlRxBuf;
  // The interface thread's own: lines taken from tlRxBuf and not yet handed to the host.
  std::deque<TTxCmd> rxTaken_;
  QElapsedTimer rxSlice_;
  bool rxPaused_ = false;
  QTimer* rxResume_;
  QTimer* rxHold_;
  std::atomic<bool> rxPosted_{false};
  TLockedQueue<TTxCmd> tlTxBuf;
  std::unordered_map<const TCnx*, int> txWaiting_;      // changed only with tlTxBuf's lock held
  std::unordered_map<const TCnx*, Outgoing> outgoing_;  // the writer thread's own
  std::atomic<int> stuckCloseMs_{kStuckCloseMs};
  TLockedQueue<QString> tlLog;
  std::atomic<bool> readerLogs_{false};
  TRepeatFilter logRepeats_;  // changed only with tlLog's lock held
  TLockedQueue<QString> tlDebug;
  TLockedQueue<TCtx> tlNewCtx;
  TLockedQueue<TCtx> tlDeleteCtx;

  std::unique_ptr<class Listener> listener_;
  std::thread listenThread_;
  std::vector<std::unique_ptr<TReadLoop>> readLoops_;
};
