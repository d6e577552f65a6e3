// The context, connecting, sending and closing; receiving is in WsReceive.cpp.
#include "firmware/WebSocket.h"

#include <poll.h>

#include <algorithm>
#include <cstring>

#include "firmware/WsHandshake.h"
#include "firmware/WsRandom.h"
#include "firmware/WsSocket.h"
#include "platform/Deadline.h"

namespace firmware {
namespace {

constexpr std::size_t kTableGrowth = 10;
constexpr int kRequestRetryMs = 10;
constexpr int kFrameRetryMs = 100;
constexpr int kFrameSendAttempts = 51;
constexpr int kCloseSendAttempts = 2;

bool EnterConnection(ws_context* context, ws_conn* conn) {
  auto& table = context->connections;
  if (table.size() == table.capacity()) table.reserve(table.size() + kTableGrowth);
  conn->id = context->nextConnectionId++;
  table.push_back(conn);
  return true;
}

void LeaveConnection(ws_conn* conn) {
  auto& table = conn->context->connections;
  table.erase(std::remove(table.begin(), table.end(), conn), table.end());
}

// Sends the handshake request, waiting while the connect is still under way. A request
// that cannot go out within the budget leaves the connection unusable, so its socket is
// closed as for any other failure.
void SendRequest(ws_conn* conn, const std::string& request) {
  const auto budget = platform::Deadline::After(conn->context->sendBudgetUs / 1000);
  std::size_t sent = 0;
  while (sent < request.size()) {
    std::size_t n = 0;
    const WsIo io = conn->socket.Send(request.data() + sent, request.size() - sent, &n);
    sent += n;
    if (io == WsIo::Done && n > 0) continue;
    if (io != WsIo::WouldBlock || budget.Passed()) {
      conn->socket.Close();
      return;
    }
    conn->socket.Wait(POLLOUT, budget.Within(kRequestRetryMs));
  }
}

// Sends bytes, retrying after a partial send or a full socket buffer (waiting up to 100 ms
// for room each time, at most `attempts` attempts). Returns the bytes sent; `*wouldBlock`
// tells whether the last attempt found the socket full, `*failed` whether it failed.
std::size_t SendBytes(platform::TcpSocket& socket, const char* data, std::size_t size, int attempts,
                      bool* wouldBlock, bool* failed) {
  std::size_t sent = 0;
  *wouldBlock = false;
  *failed = false;
  for (int attempt = 0; attempt < attempts && sent < size; ++attempt) {
    std::size_t n = 0;
    const WsIo io = socket.Send(data + sent, size - sent, &n);
    sent += n;
    *wouldBlock = io == WsIo::WouldBlock;
    if (io == WsIo::Closed) {
      *failed = true;
      break;
    }
    if (sent == size) break;
    if (attempt + 1 < attempts) socket.Wait(POLLOUT, platform::Deadline::After(kFrameRetryMs));
  }
  return sent;
}

void MaskInPlace(char* data, std::size_t size, const std::uint8_t mask[4]) {
  for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<char>(data[i] ^ mask[i & 3]);
}

// conn_send with a limit on the attempts to send the frame.
std::int64_t SendFrame(ws_conn* conn, bool mask, int opcode, std::int64_t length, const void* data,
                       int attempts) {
  if (!conn || length < 0 || (length > 0 && !data)) return -1;
  if (!conn->socket.IsOpen()) return 0;
  bool wouldBlock = false;
  bool failed = false;
  if (!conn->pendingSend.empty()) {
    const std::size_t sent = SendBytes(conn->socket, conn->pendingSend.data(),
                                       conn->pendingSend.size(), attempts, &wouldBlock, &failed);
    conn->pendingSend.erase(0, sent);
    if (!conn->pendingSend.empty()) return wouldBlock ? -2 : 0;
  }

  const auto size = static_cast<std::uint64_t>(length);
  std::string frame;
  frame.reserve(14 + size);
  frame.push_back(static_cast<char>(0x80 | (opcode & 0x0f)));
  const char maskBit = mask ? '\x80' : '\0';
  if (size < 126) {
    frame.push_back(static_cast<char>(maskBit | static_cast<char>(size)));
  } else if (size <= 0xffff) {
    frame.push_back(static_cast<char>(maskBit | 126));
    frame.push_back(static_cast<char>(size >> 8));
    frame.push_back(static_cast<char>(size & 0xff));
  } else {
    frame.push_back(static_cast<char>(maskBit | 127));
    for (int shift = 56; shift >= 0; shift -= 8)
      frame.push_back(static_cast<char>(shift >= 32 ? 0 : (size >> shift) & 0xff));
  }
  std::uint8_t key[4] = {0, 0, 0, 0};
  if (mask) {
    const int value = WsRandom();
    key[2] = static_cast<std::uint8_t>(value >> 8);
    key[3] = static_cast<std::uint8_t>(value & 0xff);
    frame.append(reinterpret_cast<const char*>(key), 4);
  }
  const std::size_t headerSize = frame.size();
  frame.append(static_cast<const char*>(data), size);
  if (mask) MaskInPlace(frame.data() + headerSize, size, key);

  const std::size_t sent =
      SendBytes(conn->socket, frame.data(), frame.size(), attempts, &wouldBlock, &failed);
  if (sent < frame.size()) conn->pendingSend.assign(frame, sent, std::string::npos);
  const std::size_t payloadSent = sent > headerSize ? sent - headerSize : 0;
  if (payloadSent == 0) return wouldBlock ? -2 : 0;
  return static_cast<std::int64_t>(payloadSent);
}

}  // namespace

ws_context* ws_context_new() { return new ws_context(); }

void ws_context_free(ws_context* context) {
  if (!context) return;
  if (--context->references <= 0) delete context;
}

ws_conn* conn_connect(ws_context* context, const char* host, const char* port) {
  if (!context || !host) return nullptr;
  const char* portText = WsPortOrDefault(port);
  const auto address = WsResolve(host, portText);
  if (!address) return nullptr;
  platform::TcpSocket socket;
  if (!socket.StartConnect(*address)) return nullptr;

  auto* conn = new ws_conn();
  conn->context = context;
  conn->socket = std::move(socket);
  conn->host = host;
  conn->port = portText;
  conn->hostValue = host;
  conn->origin = std::string("http://") + host;
  if (!EnterConnection(context, conn)) {
    delete conn;
    return nullptr;
  }
  ++context->references;

  WsSeedOnce();
  conn->handshake.key = WsMakeKey();
  SendRequest(conn, WsRequestText(*conn, context->version));
  return conn;
}

std::int64_t conn_send(ws_conn* conn, bool mask, int opcode, std::int64_t length,
                       const void* data) {
  return SendFrame(conn, mask, opcode, length, data, kFrameSendAttempts);
}

std::int64_t conn_send_text(ws_conn* conn, const std::string& text) {
  return conn_send(conn, true, kWsText, static_cast<std::int64_t>(text.size()), text.data());
}

void conn_close(ws_conn* conn) {
  if (!conn) return;
  if (conn->socket.IsOpen()) {
    // A second attempt after at most 100 ms gives a peer still taking in the last frame
    // room for the Close frame; a peer that reads nothing more holds the close no longer.
    conn->pendingSend.clear();
    SendFrame(conn, true, kWsClose, 0, nullptr, kCloseSendAttempts);
    conn->socket.Shutdown();
    conn->socket.Close();
  }
  ws_context* context = conn->context;
  LeaveConnection(conn);
  delete conn;
  ws_context_free(context);
}

}  // namespace firmware
