#pragma once
// A loopback TCP server for tests that plays one scripted conversation: it accepts one
// connection and runs the script with the connected socket on its own thread.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <thread>

namespace testing_support {

class ScriptedTcpServer {
 public:
  using Script = std::function<void(int fd)>;

  // A `receiveBuffer` above 0 makes the accepted connection take in only that much unread
  // data: a peer that never reads blocks its client's sends soon.
  explicit ScriptedTcpServer(Script script, const std::string& address = "127.0.0.1",
                             int receiveBuffer = 0) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (receiveBuffer > 0)
      ::setsockopt(listener_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    ::inet_pton(AF_INET, address.c_str(), &sa.sin_addr);
    sa.sin_port = 0;
    // Without a listening socket port() stays 0, and a client's connect fails at once.
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 ||
        ::listen(listener_, 4) != 0)
      return;
    socklen_t len = sizeof sa;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&sa), &len);
    port_ = ntohs(sa.sin_port);
    thread_ = std::thread([this, script = std::move(script)] {
      pollfd pfd{listener_, POLLIN, 0};
      if (::poll(&pfd, 1, 10000) <= 0) return;
      const int fd = ::accept(listener_, nullptr, nullptr);
      if (fd < 0) return;
      script(fd);
      ::close(fd);
    });
  }
  ~ScriptedTcpServer() {
    ::shutdown(listener_, SHUT_RDWR);
    if (thread_.joinable()) thread_.join();
    ::close(listener_);
  }
  int port() const { return port_; }

  // Helpers for scripts.
  static void Send(int fd, const std::string& bytes) {
    ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
  }
  // Reads until `count` bytes arrived, the peer closed, or `timeoutMs` passed in silence.
  static std::string Receive(int fd, std::size_t count, int timeoutMs = 2000) {
    std::string out;
    char buffer[4096];
    while (out.size() < count) {
      pollfd pfd{fd, POLLIN, 0};
      if (::poll(&pfd, 1, timeoutMs) <= 0) break;
      const ssize_t n = ::recv(fd, buffer, std::min(sizeof buffer, count - out.size()), 0);
      if (n <= 0) break;
      out.append(buffer, static_cast<std::size_t>(n));
    }
    return out;
  }

 private:
  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
};

}  // namespace testing_support
