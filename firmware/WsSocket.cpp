#include "firmware/WsSocket.h"

namespace firmware {

const char* WsPortOrDefault(const char* port) { return port && *port ? port : "80"; }

std::optional<sockaddr_in> WsResolve(const char* host, const char* port) {
  if (!host) return std::nullopt;
  return platform::ResolveIPv4(host, WsPortOrDefault(port));
}

WsIo WsReceive(ws_conn* conn, void* data, std::size_t size, std::size_t* received) {
  const WsIo io = conn->socket.Receive(data, size, received);
  if (io == WsIo::Closed) conn->socket.Close();
  return io;
}

}  // namespace firmware
