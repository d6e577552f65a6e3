#pragma once
// A non-blocking TCP/IPv4 socket whose every wait ends at a deadline in program time. The
// console dialogue and the WebSocket client both talk through it, so no peer (silent,
// flooding, or one that never reads) can hold a caller beyond the bound it chose.
#include <netinet/in.h>

#include <cstddef>
#include <optional>
#include <string>

#include "platform/Deadline.h"

namespace platform {

// The IPv4 stream address of host and port (a name or a dotted address; a number or a
// service name); none when it cannot be resolved.
std::optional<sockaddr_in> ResolveIPv4(const std::string& host, const std::string& port);

class TcpSocket {
 public:
  enum class Io { Done, WouldBlock, Closed };

  TcpSocket() = default;
  // Takes over a descriptor that is already connected (switched to non-blocking here).
  explicit TcpSocket(int fd);
  ~TcpSocket() { Close(); }
  TcpSocket(TcpSocket&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  TcpSocket& operator=(TcpSocket&& other) noexcept;
  TcpSocket(const TcpSocket&) = delete;
  TcpSocket& operator=(const TcpSocket&) = delete;

  // Starts connecting, with TCP no-delay; false when the connect failed at once.
  bool StartConnect(const sockaddr_in& address);
  // Waits until the connect has finished; false when it failed or the deadline came first.
  bool FinishConnect(const Deadline& deadline);

  bool IsOpen() const { return fd_ >= 0; }
  int fd() const { return fd_; }

  // One attempt to send; `*sent` says how many bytes went. Closed means the send failed.
  Io Send(const void* data, std::size_t size, std::size_t* sent);
  // Sends all bytes, waiting for room until the deadline. False when the socket failed or the
  // deadline came first; `*sent` (when given) says how many bytes went.
  bool SendAll(const void* data, std::size_t size, const Deadline& deadline,
               std::size_t* sent = nullptr);
  // One attempt to receive; Closed when the peer ended the connection or the socket failed.
  Io Receive(void* data, std::size_t size, std::size_t* received);
  // Waits until the socket is ready for `events` (POLLIN, POLLOUT); false when the deadline
  // came first. A closed connection or an error counts as ready: the next call reports it.
  bool Wait(short events, const Deadline& deadline) const;

  void Shutdown();
  void Close();

 private:
  int fd_ = -1;
};

}  // namespace platform
