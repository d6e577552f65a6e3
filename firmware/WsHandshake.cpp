#include "firmware/WsHandshake.h"

#include <openssl/evp.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "firmware/WsRandom.h"
#include "platform/Text.h"

namespace firmware {
namespace {

constexpr char kGuid[] = "258EAFA5-E914-47DA-95CA-C5AB0DC85B11";

std::string_view TrimBlanks(std::string_view text) {
  const char* blanks = " \t\r\n";
  const auto first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(blanks);
  return text.substr(first, last - first + 1);
}

bool StatusLineSays101(std::string_view line) {
  constexpr std::string_view kPrefix = "HTTP/1.1 ";
  if (line.substr(0, kPrefix.size()) != kPrefix) return false;
  line.remove_prefix(kPrefix.size());
  while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
  return line.substr(0, 3) == "101";
}

// Stores a header value once; a second header of the same name fails the handshake.
bool Once(bool& seen) {
  if (seen) return false;
  seen = true;
  return true;
}
bool Once(std::optional<std::string>& slot, std::string_view value) {
  if (slot) return false;
  slot = std::string(value);
  return true;
}

}  // namespace

std::string WsBase64(std::string_view bytes) {
  std::vector<unsigned char> out(4 * ((bytes.size() + 2) / 3) + 1);
  const int n = EVP_EncodeBlock(out.data(), reinterpret_cast<const unsigned char*>(bytes.data()),
                                static_cast<int>(bytes.size()));
  return std::string(reinterpret_cast<const char*>(out.data()), n > 0 ? n : 0);
}

std::string WsMakeKey() {
  std::string bytes;
  for (int i = 0; i < 4; ++i) {
    const auto value = static_cast<std::uint32_t>(WsRandom());
    for (int b = 0; b < 4; ++b) bytes.push_back(static_cast<char>((value >> (8 * b)) & 0xff));
  }
  return WsBase64(bytes);
}

std::string WsAcceptValue(const std::string& key) {
  const std::string text = key + kGuid;
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (!EVP_Digest(text.data(), text.size(), digest, &length, EVP_sha1(), nullptr)) return {};
  return WsBase64(std::string_view(reinterpret_cast<const char*>(digest), length));
}

std::string WsRequestText(const ws_conn& conn, int version) {
  // No Sec-WebSocket-Protocol line is sent: the five trailing fields stay empty.
  return "GET " + conn.path + " HTTP/1.1\r\nHost: " + conn.hostValue +
         "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Key: " +
         conn.handshake.key + "\r\nSec-WebSocket-Version: " + std::to_string(version) +
         "\r\nOrigin: " + conn.origin + "\r\n\r\n";
}

WsLineResult WsHandshakeLine(ws_handshake& state, std::string_view line) {
  if (!state.statusLineRead) {
    state.statusLineRead = true;
    if (StatusLineSays101(line)) state.status101 = true;
    return WsLineResult::Continue;
  }
  const std::string_view content = TrimBlanks(line);
  if (content.empty()) {
    const bool accepted = state.status101 && state.upgrade && state.connection && state.accept &&
                          *state.accept == WsAcceptValue(state.key);
    return accepted ? WsLineResult::Complete : WsLineResult::Failed;
  }
  const auto colon = line.find(':');
  if (colon == std::string_view::npos) return WsLineResult::Failed;
  const std::string_view name = TrimBlanks(line.substr(0, colon));
  const std::string_view value = TrimBlanks(line.substr(colon + 1));
  bool ok = true;
  if (platform::EqualsNoCase(name, "Upgrade")) {
    ok = Once(state.upgrade);
  } else if (platform::EqualsNoCase(name, "Connection")) {
    ok = Once(state.connection);
  } else if (platform::EqualsNoCase(name, "Sec-WebSocket-Accept")) {
    ok = Once(state.accept, value);
  } else if (platform::EqualsNoCase(name, "Sec-WebSocket-Protocol")) {
    ok = Once(state.protocol, value);
  }
  return ok ? WsLineResult::Continue : WsLineResult::Failed;
}

}  // namespace firmware
