#pragma once
// The opening handshake of the client: the key, the request text and the rules by which
// the server's response lines are judged.
#include <string>
#include <string_view>

#include "firmware/WebSocket.h"

namespace firmware {

// Standard Base64 (with padding, no line breaks) by the SHA-1 library's encoder.
std::string WsBase64(std::string_view bytes);
// Four generator values as 32-bit little-endian words, Base64: 24 characters.
std::string WsMakeKey();
// Base64 of the SHA-1 digest of the key followed by the RFC 6455 GUID.
std::string WsAcceptValue(const std::string& key);
// The GET request for the connection's path, host, key and origin.
std::string WsRequestText(const ws_conn& conn, int version);

enum class WsLineResult { Continue, Complete, Failed };
// Judges one complete response line (with its line end). The first line is the status
// line; the empty line ends the response and checks what was seen against `state.key`.
WsLineResult WsHandshakeLine(ws_handshake& state, std::string_view line);

}  // namespace firmware
