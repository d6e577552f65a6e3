#include "firmware/tests/ScriptedServer.h"

#include <openssl/evp.h>
#include <poll.h>

namespace fwtest {

std::string Peer::ReadRequest() {
  // A byte at a time, so that frames sent right behind the request stay in the socket.
  std::string request;
  char c;
  while (request.find("\r\n\r\n") == std::string::npos && ::recv(fd_, &c, 1, 0) == 1)
    request.push_back(c);
  return request;
}

std::string Peer::KeyOf(const std::string& request) {
  const std::string name = "Sec-WebSocket-Key: ";
  const auto at = request.find(name);
  if (at == std::string::npos) return {};
  const auto end = request.find("\r\n", at);
  return request.substr(at + name.size(), end - at - name.size());
}

std::string Peer::AcceptFor(const std::string& key) {
  const std::string text = key + "258EAFA5-E914-47DA-95CA-C5AB0DC85B11";
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(text.data(), text.size(), digest, &length, EVP_sha1(), nullptr);
  unsigned char out[64];
  const int n = EVP_EncodeBlock(out, digest, static_cast<int>(length));
  return std::string(reinterpret_cast<char*>(out), n);
}

void Peer::AcceptHandshake() {
  const std::string key = KeyOf(ReadRequest());
  Send(
      "HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
      "Sec-WebSocket-Accept: " +
      AcceptFor(key) + "\r\n\r\n");
}

void Peer::Send(const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return;
    sent += static_cast<std::size_t>(n);
  }
}

std::string Peer::Frame(std::uint8_t opcode, const std::string& payload) {
  const std::uint64_t n = payload.size();
  const int lengthBytes = n < 126 ? 0 : n <= 0xffff ? 2 : 8;
  std::string f{static_cast<char>(0x80 | opcode), static_cast<char>(lengthBytes == 0   ? n
                                                                    : lengthBytes == 2 ? 126
                                                                                       : 127)};
  for (int i = lengthBytes - 1; i >= 0; --i) f.push_back(static_cast<char>(n >> (8 * i)));
  return f + payload;
}

bool Peer::ReadExactly(void* data, std::size_t size) {
  auto* p = static_cast<char*>(data);
  while (size > 0) {
    const ssize_t n = ::recv(fd_, p, size, 0);
    if (n <= 0) return false;
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

std::optional<ClientFrame> Peer::ReadFrame() {
  std::uint8_t h[2];
  if (!ReadExactly(h, 2)) return std::nullopt;
  ClientFrame frame;
  frame.opcode = h[0] & 0x0f;
  frame.masked = (h[1] & 0x80) != 0;
  std::uint64_t length = h[1] & 0x7f;
  const int lengthBytes = length == 126 ? 2 : length == 127 ? 8 : 0;
  std::uint8_t ext[8];
  if (!ReadExactly(ext, lengthBytes)) return std::nullopt;
  for (int i = 0; i < lengthBytes; ++i) length = (i == 0 ? 0 : length << 8) | ext[i];
  if (frame.masked && !ReadExactly(frame.mask, 4)) return std::nullopt;
  frame.payload.resize(length);
  if (length && !ReadExactly(frame.payload.data(), length)) return std::nullopt;
  for (std::size_t i = 0; frame.masked && i < length; ++i)
    frame.payload[i] = static_cast<char>(frame.payload[i] ^ frame.mask[i & 3]);
  return frame;
}

bool Peer::SeesEnd(int ms) {
  pollfd p{fd_, POLLIN, 0};
  char c;
  while (::poll(&p, 1, ms) == 1) {
    if (::recv(fd_, &c, 1, 0) <= 0) return true;
  }
  return false;
}

ScriptedServer AnsweringModule(std::vector<std::string> replies, std::vector<ClientFrame>* got) {
  return ScriptedServer([replies = std::move(replies), got](Peer& peer) {
    peer.AcceptHandshake();
    if (auto f = peer.ReadFrame()) got->push_back(*f);
    for (const auto& r : replies) peer.SendFrame(1, r);  // text
    while (auto f = peer.ReadFrame()) got->push_back(*f);
  });
}

}  // namespace fwtest
