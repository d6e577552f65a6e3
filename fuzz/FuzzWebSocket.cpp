// What the module's command service sends the WebSocket client: the handshake response
// (skipped when the first byte is odd) and the frames after it.
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>

#include "firmware/WebSocket.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0) return 0;
  ::fcntl(ends[0], F_SETFL, ::fcntl(ends[0], F_GETFL) | O_NONBLOCK);
  firmware::ws_context* context = firmware::ws_context_new();
  auto* conn = new firmware::ws_conn();
  conn->context = context;
  conn->socket = platform::TcpSocket(ends[0]);
  conn->handshake.key = "dGhlIHNhbXBsZSBub25jZQ==";
  conn->handshakeComplete = (data[0] & 1) != 0;
  context->connections.push_back(conn);
  ++context->references;

  std::size_t written = 0;
  while (written + 1 < size) {
    const ssize_t n = ::write(ends[1], data + 1 + written, size - 1 - written);
    if (n <= 0) break;
    written += static_cast<std::size_t>(n);
  }
  ::shutdown(ends[1], SHUT_WR);
  char buffer[firmware::kWsReadBufferSize];
  std::size_t total = 0;
  for (int i = 0; i < 64; ++i) {
    const int n = firmware::conn_read(conn, buffer, 1000);
    if (n < 0 || n > static_cast<int>(sizeof buffer)) __builtin_trap();
    total += static_cast<std::size_t>(n);
    if (n == 0 && !firmware::conn_is_open(conn)) break;
  }
  if (total > size) __builtin_trap();  // only payload bytes reach the reader
  firmware::conn_close(conn);
  firmware::ws_context_free(context);
  ::close(ends[1]);
  return 0;
}
