#include "platform/TcpSocket.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {
namespace {

// A connect still under way reports one of these instead of "would block".
bool WouldBlock(int error) {
  return error == EAGAIN || error == EWOULDBLOCK || error == EINPROGRESS || error == ENOTCONN;
}

void MakeNonBlocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }

}  // namespace

std::optional<sockaddr_in> ResolveIPv4(const std::string& host, const std::string& port) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0 || !found) return std::nullopt;
  sockaddr_in address{};
  std::memcpy(&address, found->ai_addr, sizeof address);
  ::freeaddrinfo(found);
  return address;
}

TcpSocket::TcpSocket(int fd) : fd_(fd) {
  if (fd_ >= 0) MakeNonBlocking(fd_);
}

TcpSocket& TcpSocket::operator=(TcpSocket&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

bool TcpSocket::StartConnect(const sockaddr_in& address) {
  Close();
  fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd_ < 0) return false;
  const int on = 1;
  ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ||
      WouldBlock(errno))
    return true;
  Close();
  return false;
}

bool TcpSocket::FinishConnect(const Deadline& deadline) {
  if (!Wait(POLLOUT, deadline)) return false;
  int error = 0;
  socklen_t length = sizeof error;
  return ::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
}

TcpSocket::Io TcpSocket::Send(const void* data, std::size_t size, std::size_t* sent) {
  *sent = 0;
  if (fd_ < 0) return Io::Closed;
  for (;;) {
    const ssize_t n = ::send(fd_, data, size, MSG_NOSIGNAL);
    if (n >= 0) {
      *sent = static_cast<std::size_t>(n);
      return Io::Done;
    }
    if (errno == EINTR) continue;
    return WouldBlock(errno) ? Io::WouldBlock : Io::Closed;
  }
}

bool TcpSocket::SendAll(const void* data, std::size_t size, const Deadline& deadline,
                        std::size_t* sent) {
  const auto* bytes = static_cast<const char*>(data);
  std::size_t total = 0;
  bool ok = true;
  while (total < size) {
    std::size_t n = 0;
    const Io io = Send(bytes + total, size - total, &n);
    total += n;
    if (io == Io::Closed || (io == Io::Done && n == 0) ||
        (io == Io::WouldBlock && !Wait(POLLOUT, deadline))) {
      ok = false;
      break;
    }
  }
  if (sent) *sent = total;
  return ok;
}

TcpSocket::Io TcpSocket::Receive(void* data, std::size_t size, std::size_t* received) {
  *received = 0;
  if (fd_ < 0) return Io::Closed;
  for (;;) {
    const ssize_t n = ::recv(fd_, data, size, 0);
    if (n > 0) {
      *received = static_cast<std::size_t>(n);
      return Io::Done;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return Io::WouldBlock;
    return Io::Closed;
  }
}

bool TcpSocket::Wait(short events, const Deadline& deadline) const {
  if (fd_ < 0) return false;
  for (;;) {
    const std::int64_t left = deadline.LeftMs();
    if (left == 0) return false;
    timespec limit{};
    std::int64_t real = 0;
    if (left > 0) {
      real = TheClock().ToReal(left).count();
      limit.tv_sec = static_cast<time_t>(real / 1000000000);
      limit.tv_nsec = static_cast<long>(real % 1000000000);
    }
    pollfd entry{fd_, events, 0};
    const int n = ::ppoll(&entry, 1, left > 0 ? &limit : nullptr, nullptr);
    if (n > 0) return true;
    if (n < 0 && errno != EINTR) return false;
    // A clock that does not run in real time (a test's virtual one) only gets one look.
    if (left > 0 && real == 0) return false;
    // Timed out in real time (or interrupted): the deadline decides on the next pass.
  }
}

void TcpSocket::Shutdown() {
  if (fd_ >= 0) ::shutdown(fd_, SHUT_RDWR);
}

void TcpSocket::Close() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
}

}  // namespace platform
