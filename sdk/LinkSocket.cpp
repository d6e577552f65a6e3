#include "sdk/LinkSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "sdk/KRYLink.h"

namespace kry_link {
namespace {

bool ToAddress(const std::string& address, int port, sockaddr_in& sa) {
  sa = sockaddr_in{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(static_cast<std::uint16_t>(port));
  return port > 0 && port < 65536 && ::inet_pton(AF_INET, address.c_str(), &sa.sin_addr) == 1;
}

void SetNoDelay(int fd) {
  int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

}  // namespace

int ConnectTcp(const std::string& address, int port, int timeoutMs) {
  sockaddr_in sa;
  if (!ToAddress(address, port, sa)) return -1;
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return -1;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
    if (errno != EINPROGRESS) {
      CloseSocket(fd);
      return -1;
    }
    pollfd p{fd, POLLOUT, 0};
    int error = 0;
    socklen_t len = sizeof error;
    if (::poll(&p, 1, timeoutMs) != 1 ||
        ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0 || error != 0) {
      CloseSocket(fd);
      return -1;
    }
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  SetNoDelay(fd);
  return fd;
}

int ListenTcp(const std::string& address, int port, int backlog) {
  sockaddr_in sa;
  if (!ToAddress(address, port, sa)) return -1;
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || ::listen(fd, backlog) != 0) {
    CloseSocket(fd);
    return -1;
  }
  return fd;
}

int WaitReadable(int fd, int timeoutMs) {
  pollfd p{fd, POLLIN, 0};
  for (;;) {
    const int n = ::poll(&p, 1, timeoutMs);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    return n == 0 ? 0 : 1;
  }
}

bool SendAll(int fd, const void* data, std::size_t length) {
  const char* p = static_cast<const char*>(data);
  while (length > 0) {
    const ssize_t n = ::send(fd, p, length, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    length -= static_cast<std::size_t>(n);
  }
  return true;
}

bool ReceiveExact(int fd, void* data, std::size_t length, int timeoutMs) {
  using Steady = std::chrono::steady_clock;
  const auto deadline = Steady::now() + std::chrono::milliseconds(timeoutMs);
  char* p = static_cast<char*>(data);
  while (length > 0) {
    if (timeoutMs >= 0) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Steady::now());
      if (left.count() < 0 || WaitReadable(fd, static_cast<int>(left.count())) != 1) return false;
    }
    const ssize_t n = ::recv(fd, p, length, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    length -= static_cast<std::size_t>(n);
  }
  return true;
}

void CloseSocket(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

bool Call(int fd, std::uint8_t opcode, const std::string& payload, int timeoutMs,
          std::int32_t& result, std::string& reply) {
  std::string request;
  PutU32(request, static_cast<std::uint32_t>(payload.size()));
  request.push_back(static_cast<char>(opcode));
  request += payload;
  if (!SendAll(fd, request.data(), request.size())) return false;
  unsigned char head[8];
  if (!ReceiveExact(fd, head, sizeof head, timeoutMs)) return false;
  const std::uint32_t length = GetU32(head);
  if (length > kMaxPayload) return false;
  result = static_cast<std::int32_t>(GetU32(head + 4));
  reply.assign(length, '\0');
  return length == 0 || ReceiveExact(fd, reply.data(), length, timeoutMs);
}

bool ReadRequest(int fd, std::uint8_t& opcode, std::string& payload) {
  unsigned char head[5];
  if (!ReceiveExact(fd, head, sizeof head, -1)) return false;
  const std::uint32_t length = GetU32(head);
  if (length > kMaxPayload) return false;
  opcode = head[4];
  payload.assign(length, '\0');
  // Once a request has begun, its body must follow promptly.
  return length == 0 || ReceiveExact(fd, payload.data(), length, 10000);
}

bool SendReply(int fd, std::int32_t result, const std::string& payload) {
  std::string reply;
  PutU32(reply, static_cast<std::uint32_t>(payload.size()));
  PutU32(reply, static_cast<std::uint32_t>(result));
  reply += payload;
  return SendAll(fd, reply.data(), reply.size());
}

}  // namespace kry_link
