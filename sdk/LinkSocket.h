#pragma once
// Blocking TCP helpers for the adapter link, with time-outs in real milliseconds.
#include <cstddef>
#include <cstdint>
#include <string>

namespace kry_link {

// Connects to an IPv4 address; -1 when the address is not dotted IPv4 or nobody answers.
int ConnectTcp(const std::string& address, int port, int timeoutMs);
// Listens on address:port (address reuse on); -1 on failure.
int ListenTcp(const std::string& address, int port, int backlog = 8);
// Waits up to timeoutMs for the socket to become readable: 1 readable, 0 time-out, -1 error.
int WaitReadable(int fd, int timeoutMs);
bool SendAll(int fd, const void* data, std::size_t length);
// Reads exactly `length` bytes; false on error, end of stream or time-out.
bool ReceiveExact(int fd, void* data, std::size_t length, int timeoutMs);
void CloseSocket(int& fd);

// One request on a client link; fills result and reply payload. False when the link broke.
bool Call(int fd, std::uint8_t opcode, const std::string& payload, int timeoutMs,
          std::int32_t& result, std::string& reply);
// Server side: reads one request (false when the peer left or sent garbage) and answers.
bool ReadRequest(int fd, std::uint8_t& opcode, std::string& payload);
bool SendReply(int fd, std::int32_t result, const std::string& payload);

}  // namespace kry_link
