#include "firmware/WsSocket.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/Clock.h"

namespace firmware {

const char* WsPortOrDefault(const char* port) { return port && *port ? port : "80"; }

std::optional<sockaddr_in> WsResolve(const char* host, const char* port) {
  if (!host) return std::nullopt;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host, WsPortOrDefault(port), &hints, &found) != 0 || !found)
    return std::nullopt;
  sockaddr_in address{};
  std::memcpy(&address, found->ai_addr, sizeof address);
  ::freeaddrinfo(found);
  return address;
}

bool WsWaitSocket(int socket, short events, std::int64_t programMs) {
  if (socket < 0) return false;
  pollfd entry{socket, events, 0};
  timespec limit{};
  timespec* wait = nullptr;
  if (programMs >= 0) {
    const auto real = platform::TheClock().ToReal(programMs);
    limit.tv_sec = static_cast<time_t>(real.count() / 1000000000);
    limit.tv_nsec = static_cast<long>(real.count() % 1000000000);
    wait = &limit;
  }
  for (;;) {
    const int n = ::ppoll(&entry, 1, wait, nullptr);
    if (n >= 0) return n > 0;
    if (errno != EINTR) return false;
  }
}

void WsCloseSocket(ws_conn* conn) {
  if (!conn || conn->socket < 0) return;
  ::close(conn->socket);
  conn->socket = -1;
}

WsIo WsReceive(ws_conn* conn, void* data, std::size_t size, std::size_t* received) {
  *received = 0;
  if (conn->socket < 0) return WsIo::Closed;
  for (;;) {
    const ssize_t n = ::recv(conn->socket, data, size, 0);
    if (n > 0) {
      *received = static_cast<std::size_t>(n);
      return WsIo::Done;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return WsIo::WouldBlock;
    WsCloseSocket(conn);
    return WsIo::Closed;
  }
}

}  // namespace firmware
