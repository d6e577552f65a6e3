#include "device/AdapterConsole.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Clock.h"

namespace device {
namespace {

constexpr unsigned char kIac = 0xFF, kDo = 0xFD, kWill = 0xFB, kWont = 0xFC,
                        kWindowSize = 0x1F;
constexpr char kRequest[] = "showshortport\r\n";
constexpr char kDrop[] = "disconnect 6820\r\n";

class Socket {
 public:
  ~Socket() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool Connect(const std::string& address, int port, std::int64_t deadline) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(static_cast<std::uint16_t>(port));
    if (::inet_pton(AF_INET, address.c_str(), &sa.sin_addr) != 1) return false;
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd_ < 0) return false;
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0) return true;
    if (errno != EINPROGRESS) return false;
    if (!WaitFor(POLLOUT, deadline)) return false;
    int error = 0;
    socklen_t len = sizeof error;
    return ::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &len) == 0 && error == 0;
  }
  bool Send(const void* data, std::size_t size) {
    auto p = static_cast<const char*>(data);
    while (size > 0) {
      const ssize_t n = ::send(fd_, p, size, MSG_NOSIGNAL);
      if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        pollfd pfd{fd_, POLLOUT, 0};
        ::poll(&pfd, 1, 1000);
        continue;
      }
      if (n <= 0) return false;
      p += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }
  // One byte, waiting in steps of at most one second until the overall deadline.
  bool ReadByte(unsigned char& byte, std::int64_t deadline) {
    for (;;) {
      if (!WaitFor(POLLIN, deadline)) return false;
      const ssize_t n = ::recv(fd_, &byte, 1, 0);
      if (n == 1) return true;
      if (n == 0) return false;
      if (errno != EAGAIN && errno != EINTR) return false;
    }
  }

 private:
  bool WaitFor(short events, std::int64_t deadline) {
    platform::Clock& clock = platform::TheClock();
    for (;;) {
      const std::int64_t left = deadline - clock.NowMs();
      if (left <= 0) return false;
      const std::int64_t step = left < 1000 ? left : 1000;
      const auto real = std::chrono::duration_cast<std::chrono::milliseconds>(clock.ToReal(step));
      pollfd pfd{fd_, events, 0};
      const int r = ::poll(&pfd, 1, static_cast<int>(real.count() > 0 ? real.count() : 1));
      if (r < 0 && errno == EINTR) continue;
      if (r < 0) return false;
      if (r > 0) return (pfd.revents & (events | POLLHUP | POLLERR)) != 0;
    }
  }
  int fd_ = -1;
};

}  // namespace

std::string ConsoleReplyParser::Feed(unsigned char byte) {
  if (pending_ == 2) {
    command_ = byte;
    pending_ = 1;
    return {};
  }
  if (pending_ == 1) {
    pending_ = 0;
    const unsigned char option = byte;
    if (command_ == kDo && option == kWindowSize) {
      const unsigned char answer[] = {kIac, kWill, kWindowSize, kIac, 0xFA, kWindowSize,
                                      0x00, 0x50, 0x00, 0x18, kIac, 0xF0};
      return std::string(reinterpret_cast<const char*>(answer), sizeof answer);
    }
    // DO becomes WON'T and WILL becomes DO, in both bytes as the console expects.
    const auto swap = [](unsigned char b) -> unsigned char {
      return b == kDo ? kWont : (b == kWill ? kDo : b);
    };
    const unsigned char answer[] = {kIac, swap(command_), swap(option)};
    return std::string(reinterpret_cast<const char*>(answer), sizeof answer);
  }
  if (byte == kIac) {
    pending_ = 2;
    return {};
  }
  if (reply_.size() >= kReplyBuffer - 1) {
    overflowed_ = true;
    return {};
  }
  reply_.push_back(static_cast<char>(byte));
  if (byte == '>' && reply_.size() >= 2 && reply_[reply_.size() - 2] == '-') ++prompts_;
  return {};
}

ConsoleResult JudgeConsoleReply(const std::string& reply) {
  const auto cr = reply.find('\r');
  if (cr == std::string::npos) return kConsoleNoReply;
  const std::string rest = reply.substr(cr + 1);
  if (rest.find("unconnected") != std::string::npos) return kConsoleNothingToDrop;
  if (rest.find("192.168.8") != std::string::npos) return kConsoleDropSent;
  return kConsoleNothingToDrop;
}

ConsoleResult RunConsoleDialogue(const std::string& address, const ConsoleOptions& options) {
  const std::int64_t deadline = platform::TheClock().NowMs() + options.overallTimeoutMs;
  Socket socket;
  if (!socket.Connect(address, options.port, deadline)) return kConsoleNoReply;
  if (!socket.Send(kRequest, sizeof kRequest - 1)) return kConsoleNoReply;

  ConsoleReplyParser parser;
  while (!parser.complete()) {
    unsigned char byte = 0;
    if (!socket.ReadByte(byte, deadline)) return kConsoleNoReply;
    const std::string answer = parser.Feed(byte);
    if (parser.overflowed()) return kConsoleNoReply;
    if (!answer.empty() && !socket.Send(answer.data(), answer.size())) return kConsoleNoReply;
  }
  const ConsoleResult result = JudgeConsoleReply(parser.reply());
  if (result == kConsoleDropSent) socket.Send(kDrop, sizeof kDrop - 1);
  return result;
}

}  // namespace device
