#pragma once
// The socket calls under the WebSocket client.
#include <netinet/in.h>

#include <cstddef>
#include <optional>

#include "firmware/WebSocket.h"

namespace firmware {

// The port text to use: "80" for an absent or empty one.
const char* WsPortOrDefault(const char* port);
// The IPv4 stream address of host and port; none when it cannot be resolved.
std::optional<sockaddr_in> WsResolve(const char* host, const char* port);

using WsIo = platform::TcpSocket::Io;
// Receives up to `size` bytes into `data` (`*received` says how many): Closed when the peer
// ended the connection or the socket failed, which closes the socket.
WsIo WsReceive(ws_conn* conn, void* data, std::size_t size, std::size_t* received);

}  // namespace firmware
