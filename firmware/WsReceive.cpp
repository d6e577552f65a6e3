// Receiving: the handshake response, frames, and the reads that collect their payloads.
#include <poll.h>

#include <algorithm>
#include <cstring>

#include "firmware/WebSocket.h"
#include "firmware/WsHandshake.h"
#include "firmware/WsSocket.h"
#include "platform/Deadline.h"

namespace firmware {
namespace {

constexpr std::size_t kMaxLineBytes = 8192;
constexpr int kLinesPerPoll = 32;
// How much of a payload one poll takes in at most.
constexpr std::size_t kPieceBytes = 64ul * 1024;

// Reads handshake lines byte by byte, so nothing after the response leaves the socket. A
// response takes a handful of lines; after a few dozen the caller's clock is asked again, so
// a server that never stops sending header lines cannot keep a read beyond its time-out.
void AdvanceHandshake(ws_conn* conn) {
  for (int lines = 0; lines < kLinesPerPoll;) {
    char byte = 0;
    std::size_t n = 0;
    if (WsReceive(conn, &byte, 1, &n) != WsIo::Done) return;
    conn->partialLine.push_back(byte);
    if (conn->partialLine.size() >= kMaxLineBytes) {
      conn->socket.Close();
      return;
    }
    if (byte != '\n') continue;
    const std::string line = std::move(conn->partialLine);
    conn->partialLine.clear();
    ++lines;
    switch (WsHandshakeLine(conn->handshake, line)) {
      case WsLineResult::Continue:
        break;
      case WsLineResult::Complete:
        conn->handshakeComplete = true;
        return;
      case WsLineResult::Failed:
        conn->socket.Close();
        return;
    }
  }
}

// Fills the read-back buffer up to `wanted` bytes; true when they are all there.
bool FillHeader(ws_conn* conn, std::size_t wanted) {
  while (conn->readBackLength < wanted) {
    std::size_t n = 0;
    if (WsReceive(conn, conn->readBack + conn->readBackLength, wanted - conn->readBackLength, &n) !=
        WsIo::Done)
      return false;
    conn->readBackLength += n;
  }
  return true;
}

// Takes in a frame header; true when a frame with a payload to read is now pending.
bool ReadHeader(ws_conn* conn) {
  if (!FillHeader(conn, 2)) return false;
  const std::uint8_t* h = conn->readBack;
  const bool masked = (h[1] & 0x80) != 0;
  const std::uint8_t shortLength = h[1] & 0x7f;
  const std::size_t lengthBytes = shortLength == 126 ? 2 : shortLength == 127 ? 8 : 0;
  const std::size_t headerSize = 2 + lengthBytes + (masked ? 4 : 0);
  if (!FillHeader(conn, headerSize)) return false;

  ws_frame frame;
  frame.fin = (h[0] & 0x80) != 0;
  frame.opcode = h[0] & 0x0f;
  frame.masked = masked;
  frame.length = shortLength;
  if (lengthBytes > 0) {
    frame.length = 0;
    for (std::size_t i = 0; i < lengthBytes; ++i) frame.length = (frame.length << 8) | h[2 + i];
    // The upper four bytes of the 64-bit form must be zero.
    if (lengthBytes == 8 && (frame.length >> 32) != 0) {
      conn->socket.Close();
      return false;
    }
  }
  if (masked) std::memcpy(frame.mask, h + 2 + lengthBytes, 4);
  conn->readBackLength = 0;
  if (frame.length > kWsMaxPayload) {
    conn->socket.Close();
    return false;
  }
  frame.missing = frame.length;

  if (frame.opcode == kWsClose) {
    conn->closeStatus = kWsCloseNoStatus;
    if (frame.length == 0) {
      conn->socket.Close();
      return false;
    }
  } else if (frame.length == 0) {
    if (frame.opcode == kWsPing) {
      conn_send(conn, true, kWsPong, 0, nullptr);
    } else if (frame.opcode != kWsPong) {
      conn->socket.Close();  // an empty data frame
    }
    return false;
  }
  conn->pendingFrame = std::move(frame);
  return true;
}

// A control frame whose payload is complete.
void FinishControlFrame(ws_conn* conn, const ws_frame& frame) {
  if (frame.opcode == kWsClose) {
    const auto& p = frame.payload;
    if (p.size() >= 2) {
      conn->closeStatus = (static_cast<std::uint8_t>(p[0]) << 8) | static_cast<std::uint8_t>(p[1]);
      conn->closeReason = p.substr(2);
    }
    conn->socket.Close();
  } else if (frame.opcode == kWsPing) {
    conn_send(conn, true, kWsPong, static_cast<std::int64_t>(frame.payload.size()),
              frame.payload.data());
  }
}

}  // namespace

std::optional<std::string> conn_poll(ws_conn* conn) {
  if (!conn_is_open(conn)) return std::nullopt;
  if (!conn->handshakeComplete) {
    AdvanceHandshake(conn);
    return std::nullopt;
  }
  if (!conn->pendingFrame && !ReadHeader(conn)) return std::nullopt;

  ws_frame& frame = *conn->pendingFrame;
  std::string piece(static_cast<std::size_t>(std::min<std::uint64_t>(frame.missing, kPieceBytes)),
                    '\0');
  std::size_t n = 0;
  if (WsReceive(conn, piece.data(), piece.size(), &n) != WsIo::Done) return std::nullopt;
  piece.resize(n);
  if (frame.masked) {
    for (std::size_t i = 0; i < n; ++i)
      piece[i] = static_cast<char>(piece[i] ^ frame.mask[(frame.maskOffset + i) & 3]);
    frame.maskOffset += n;
  }
  frame.missing -= n;
  const bool complete = frame.missing == 0;

  switch (frame.opcode) {
    case kWsPong:
      break;  // dropped
    case kWsClose:
    case kWsPing:
      frame.payload += piece;
      if (complete) FinishControlFrame(conn, frame);
      break;
    default:
      if (complete) conn->pendingFrame.reset();
      return piece;
  }
  if (complete) conn->pendingFrame.reset();
  return std::nullopt;
}

int conn_read(ws_conn* conn, char* buffer, int timeoutMs) {
  if (!conn || !buffer) return 0;
  std::memset(buffer, 0, kWsReadBufferSize);
  const auto deadline =
      timeoutMs > 0 ? platform::Deadline::After(timeoutMs) : platform::Deadline::Never();
  std::size_t filled = 0;

  auto take = [&](std::string& from) {
    const std::size_t n = std::min(from.size(), kWsReadBufferSize - filled);
    // A byte buffer, read by its count and never as a string: no terminator is owed.
    std::memcpy(buffer + filled, from.data(), n);  // NOLINT(bugprone-not-null-terminated-result)
    filled += n;
    from.erase(0, n);
  };

  take(conn->pendingRead);
  if (filled == kWsReadBufferSize) return static_cast<int>(filled);
  for (;;) {
    if (auto piece = conn_poll(conn)) {
      take(*piece);
      conn->pendingRead = std::move(*piece);
      if (filled == kWsReadBufferSize) break;
      continue;
    }
    if (!conn_is_open(conn) || deadline.Passed()) break;
    // Nothing is ready: wait on the socket for the time that is left instead of spinning.
    conn->socket.Wait(POLLIN, deadline);
  }
  return static_cast<int>(filled);
}

}  // namespace firmware
