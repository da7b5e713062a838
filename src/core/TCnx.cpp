#include "core/TCnx.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <mutex>

TCnx::TCnx(asio::ip::tcp::socket socket, quint64 number)
    : socket_(std::move(socket)),
      fd_(socket_.native_handle()),
      number_(number),
      peer_(QStringLiteral("?.?.?.?")) {
  asio::error_code ec;
  const auto endpoint = socket_.remote_endpoint(ec);
  if (!ec) {
    auto address = endpoint.address();
    if (address.is_v6() && address.to_v6().is_v4_mapped())
      address = asio::ip::make_address_v4(asio::ip::v4_mapped, address.to_v6());
    if (address.is_v4()) peer_ = QString::fromStdString(address.to_string());
  }
  socket_.set_option(asio::ip::tcp::no_delay(true), ec);
  socket_.non_blocking(true, ec);
}

TCnx::~TCnx() { Release(); }

void TCnx::Close() {
  std::shared_lock lock(socketLock_);
  if (released_) return;
  open_ = false;
  ShutdownSocket(socket_.native_handle());
}

void ShutdownSocket(int fd) { ::shutdown(fd, SHUT_RDWR); }

bool TCnx::Write(const QByteArray& bytes, int timeoutMs) {
  std::shared_lock lock(socketLock_);
  if (released_ || !open_) return false;
  const int fd = socket_.native_handle();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  qsizetype done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::send(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done),
                             MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      done += n;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) return false;
    pollfd p{fd, POLLOUT, 0};
    if (::poll(&p, 1, static_cast<int>(left)) < 0 && errno != EINTR) return false;
  }
  return true;
}

qsizetype TCnx::WriteSome(const char* data, qsizetype size) {
  std::shared_lock lock(socketLock_);
  if (released_ || !open_) return -1;
  for (;;) {
    const ssize_t n = ::send(socket_.native_handle(), data, static_cast<size_t>(size),
                             MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n >= 0) return n;
    if (errno == EINTR) continue;
    return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : -1;
  }
}

qsizetype TCnx::ReadSome(char* buffer, std::size_t size) {
  asio::error_code ec;
  const std::size_t n = socket_.read_some(asio::buffer(buffer, size), ec);
  if (ec == asio::error::would_block || ec == asio::error::try_again) return 0;
  return ec ? -1 : static_cast<qsizetype>(n);
}

int TCnx::Unread() const {
  std::shared_lock lock(socketLock_);
  int n = 0;
  if (released_ || ::ioctl(fd_, FIONREAD, &n) != 0) return 0;
  return n;
}

bool TCnx::ReaderBehind() const {
  std::shared_lock lock(socketLock_);
  const std::atomic<std::int64_t>* roundSince = roundSince_.load();
  if (released_ || !roundSince) return false;
  const std::int64_t since = roundSince->load();
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return since != 0 && now - std::chrono::nanoseconds(since) > kReaderLate;
}

void TCnx::Release() {
  std::unique_lock lock(socketLock_);
  if (released_) return;
  open_ = false;
  released_ = true;
  asio::error_code ec;
  socket_.close(ec);
}

QString CtxSuffix(const TCtx& ctx) {
  return QStringLiteral(" : ctx=") + QString::number(ctx ? ctx->Number() : 0);
}
