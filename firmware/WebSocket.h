#pragma once
// A small WebSocket client (RFC 6455, version 13, plain ws only) for the DoIP module's
// command service and the module reboot of a device reset. Plain functions over a context
// and its connections. Sockets are non-blocking with TCP no-delay; a connection is handed
// back as soon as its handshake request is sent and the server's answer is taken in by the
// reads that follow. No function produces an error text: callers log their own.
//
// A context and its connections are used by one thread at a time; no locks are taken.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/TcpSocket.h"

namespace firmware {

constexpr int kWsRoleClient = 1;
// Callers treat a connection in this role as closed.
constexpr int kWsRoleClosed = 3;
constexpr std::size_t kWsReadBufferSize = 1024;
// Longer frames are refused (the socket is closed) instead of being taken in.
constexpr std::uint64_t kWsMaxPayload = 64ull * 1024 * 1024;
constexpr int kWsCloseNoFrame = 1006;   // no Close frame received
constexpr int kWsCloseNoStatus = 1005;  // a Close frame without a status code

enum WsOpcode : std::uint8_t {
  kWsContinuation = 0,
  kWsText = 1,
  kWsBinary = 2,
  kWsClose = 8,
  kWsPing = 9,
  kWsPong = 10,
};

struct ws_conn;

struct ws_context {
  int references = 1;
  // How long sending the handshake request may keep retrying, in microseconds.
  std::int64_t sendBudgetUs = 20000000;
  int version = 13;
  int nextConnectionId = 1;
  std::vector<ws_conn*> connections;  // grows by 10 slots
};

// One received frame whose payload is still coming in.
struct ws_frame {
  bool fin = false;
  std::uint8_t opcode = 0;
  bool masked = false;
  std::uint64_t length = 0;
  std::uint8_t mask[4] = {0, 0, 0, 0};
  std::string payload;  // control frames only: collected until complete
  std::uint64_t missing = 0;
  std::uint64_t maskOffset = 0;
};

struct ws_handshake {
  bool upgrade = false;
  bool connection = false;
  bool status101 = false;
  bool statusLineRead = false;
  std::optional<std::string> accept;
  std::optional<std::string> protocol;
  std::string key;
};

struct ws_conn {
  ws_context* context = nullptr;
  int id = 0;
  platform::TcpSocket socket;  // not open once closed
  int role = kWsRoleClient;
  bool handshakeComplete = false;
  std::string host, port;
  std::string hostValue;
  std::string origin;
  std::string path = "/";
  ws_handshake handshake;
  int closeStatus = kWsCloseNoFrame;
  std::string closeReason;
  std::uint8_t readBack[100] = {};  // a frame header received in part
  std::size_t readBackLength = 0;
  std::string partialLine;  // a handshake line received in part
  std::optional<ws_frame> pendingFrame;
  std::string pendingRead;  // the unread tail of a delivered payload
  std::string pendingSend;  // the unsent tail of the last frame sent
};

ws_context* ws_context_new();
// Drops one reference; every connection holds one, so a context outlives its connections.
void ws_context_free(ws_context* context);

// Host and port are 8-bit texts; an absent or empty port means "80". None when the name
// cannot be resolved or the connect fails at once.
ws_conn* conn_connect(ws_context* context, const char* host, const char* port);
// Payload bytes sent; 0 when none were sent, -2 when none because the socket would block,
// -1 for a negative length.
std::int64_t conn_send(ws_conn* conn, bool mask, int opcode, std::int64_t length, const void* data);
// A masked text frame of the whole text; success is a result equal to the text length.
std::int64_t conn_send_text(ws_conn* conn, const std::string& text);
// Collects payload bytes into `buffer` (kWsReadBufferSize bytes, cleared first) until the
// buffer is full, the socket is closed or more than `timeoutMs` of program time has passed.
// Waits on the socket meanwhile, so the processor stays free.
int conn_read(ws_conn* conn, char* buffer, int timeoutMs);
// Sends a Close frame, closes the socket and frees the connection.
void conn_close(ws_conn* conn);
// Advances the handshake or takes in one frame (or the next part of one); returns the
// payload bytes of a data frame that arrived, or none.
std::optional<std::string> conn_poll(ws_conn* conn);

inline bool conn_is_open(const ws_conn* conn) { return conn && conn->socket.IsOpen(); }

}  // namespace firmware
