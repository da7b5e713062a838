#pragma once

#include <QByteArray>
#include <QString>

#include <asio/ip/tcp.hpp>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <shared_mutex>
#include <utility>

class TDTClient;

// One open TCP connection of a monitor. Records, windows and dialogs are bound to it; it stays a
// valid object after the socket has closed, so a stale reference is harmless.
class TCnx {
 public:
  TCnx(asio::ip::tcp::socket socket, quint64 number);
  ~TCnx();
  TCnx(const TCnx&) = delete;
  TCnx& operator=(const TCnx&) = delete;

  // Identifies the connection in log lines.
  quint64 Number() const { return number_; }
  // Dotted IPv4 address of the peer; "?.?.?.?" when it could not be read.
  const QString& PeerAddress() const { return peer_; }
  bool IsOpen() const { return open_.load(); }
  // Ends the connection in both directions; its reader then reports it closed. Any thread.
  void Close();

  // Server side only.
  // Writes all bytes, waiting at most timeoutMs for a peer that does not read.
  bool Write(const QByteArray& bytes, int timeoutMs);
  // Writes what the socket takes now without waiting: the bytes written (0 when it is full), -1
  // when the connection is closed or broken.
  qsizetype WriteSome(const char* data, qsizetype size);
  // Reads what has arrived without waiting: the bytes read (0 when none wait), -1 at the end of
  // the connection or on an error.
  qsizetype ReadSome(char* buffer, std::size_t size);
  // Reads into buffer on the socket's context and calls handler(error_code, bytes); the end of
  // the connection comes as an error.
  template <class Handler>
  void ReadAsync(char* buffer, std::size_t size, Handler&& handler) {
    socket_.async_read_some(asio::buffer(buffer, size), std::forward<Handler>(handler));
  }
  // Called by the reader when it is done: no write or close touches the socket after it.
  void Release();

  // Bytes of this monitor's records waiting for the disk. While they pass kMaxStoring its reader
  // reads nothing more, so a fast history download cannot fill the memory ahead of a slow disk.
  static constexpr qint64 kMaxStoring = 8 * 1024 * 1024;
  void AddStoring(qint64 bytes) { storing_ += bytes; }
  bool StoringFull() const { return storing_.load() > kMaxStoring; }

  // Received lines of this connection queued for the interface thread's handler and not yet
  // handled, or bytes of it no reader has taken yet. While any wait, the monitor has spoken: a
  // late answer is our delay, not its silence.
  void LineQueued() { ++rxWaiting_; }
  void LineHandled() {
    --rxWaiting_;
    rxHandled_ = true;
  }
  bool RxWaiting() const { return rxWaiting_.load() > 0 || ReaderBehind() || Unread() > 0; }
  // Its first line, the identification of a monitor, waits: a peer whose first line was handled
  // and did not identify it gets no more grace, however much more it sends.
  bool FirstLineWaiting() const { return RxWaiting() && !rxHandled_.load(); }

  // Bytes received and not yet read from the socket; 0 when it is closed.
  int Unread() const;
  // The reader of this connection: since when (steady clock, ns) it has been handling what it
  // read, 0 while it waits for bytes. Set once, by the reader.
  void WatchReader(const std::atomic<std::int64_t>* roundSince) { roundSince_ = roundSince; }
  // Its reader has been busy longer than kReaderLate, held up by our own backlog: bytes it has
  // read for this connection may not have reached the queue yet.
  static constexpr std::chrono::milliseconds kReaderLate{50};
  bool ReaderBehind() const;

  // Where a record list last found this connection's record, valid while that list has deleted
  // no record since (stamp). Read and written by the list's owner thread only.
  struct RecordHint {
    TDTClient* record = nullptr;
    quint64 stamp = 0;
  };
  RecordHint& Hint() const { return hint_; }

 private:
  asio::ip::tcp::socket socket_;
  const int fd_;  // the socket's, until it is released
  const quint64 number_;
  QString peer_;
  std::atomic<bool> open_{true};
  // Shared by writers and Close(), exclusive for releasing the socket.
  mutable std::shared_mutex socketLock_;
  bool released_ = false;
  std::atomic<qint64> storing_{0};
  std::atomic<int> rxWaiting_{0};
  std::atomic<const std::atomic<std::int64_t>*> roundSince_{nullptr};
  std::atomic<bool> rxHandled_{false};
  mutable RecordHint hint_;
};

using TCtx = std::shared_ptr<TCnx>;

// Ends a socket's traffic in both directions, waking a thread blocked on it. Any thread.
void ShutdownSocket(int fd);

// " : ctx=" and the connection number, as log lines print a connection.
QString CtxSuffix(const TCtx& ctx);
