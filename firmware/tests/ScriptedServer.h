#pragma once
// A loopback server that accepts one connection and runs a script on it: the frames and
// responses a friendly server never sends. The script sees the server side of the
// connection as a blocking socket.
#include <chrono>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/ScriptedTcpServer.h"

namespace fwtest {

struct ClientFrame {
  std::uint8_t opcode = 0;
  bool masked = false;
  std::uint8_t mask[4] = {};
  std::string payload;  // unmasked
};

class Peer {
 public:
  explicit Peer(int fd) : fd_(fd) {}
  // Reads the request up to its empty line.
  std::string ReadRequest();
  // The Sec-WebSocket-Key of a request.
  static std::string KeyOf(const std::string& request);
  // Base64 of SHA-1 of key + GUID, computed here independently of the client.
  static std::string AcceptFor(const std::string& key);
  // Reads the request and answers with a plain accepting response.
  void AcceptHandshake();
  void Send(const std::string& bytes);
  // A server frame: FIN, opcode, unmasked, the shortest length form.
  static std::string Frame(std::uint8_t opcode, const std::string& payload);
  void SendFrame(std::uint8_t opcode, const std::string& payload) { Send(Frame(opcode, payload)); }
  // The next frame of the client; none when the connection ended first.
  std::optional<ClientFrame> ReadFrame();
  // True when the client closed the connection (reads end) within `ms` real milliseconds.
  bool SeesEnd(int ms);
  bool ReadExactly(void* data, std::size_t size);
  int fd() const { return fd_; }

 private:
  int fd_;
};

class ScriptedServer {
 public:
  using Script = std::function<void(Peer&)>;
  explicit ScriptedServer(Script script)
      : server_(std::make_unique<testing_support::ScriptedTcpServer>(
            [script = std::move(script), done = done_](int fd) {
              Peer peer(fd);
              script(peer);
              done->set_value();
            })),
        port_(std::to_string(server_->port())) {}
  const std::string& port() const { return port_; }
  // Waits until the script has run to its end (or no client came within the server's wait).
  void Finish() {
    ended_.wait_for(std::chrono::seconds(10));
    server_.reset();
  }

 private:
  std::shared_ptr<std::promise<void>> done_ = std::make_shared<std::promise<void>>();
  std::future<void> ended_ = done_->get_future();
  std::unique_ptr<testing_support::ScriptedTcpServer> server_;
  std::string port_;
};

// A module that accepts the handshake, records the first frame it gets, answers it with
// `replies` as text frames and records every frame after.
ScriptedServer AnsweringModule(std::vector<std::string> replies, std::vector<ClientFrame>* got);

}  // namespace fwtest
