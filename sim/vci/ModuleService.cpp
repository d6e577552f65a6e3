#include "sim/vci/ModuleService.h"

#include <unistd.h>

#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/websocket.hpp>
#include <nlohmann/json.hpp>

#include "platform/Text.h"

namespace vcisim {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace websocket = beast::websocket;
using tcp = asio::ip::tcp;

constexpr char kPutFileReply[] = "put-file ready\n";

// A file announced by put-file whose bytes are still arriving.
struct PendingFile {
  std::string path;
  std::size_t size = 0;
  std::string bytes;
  bool active = false;
};

std::string Field(const nlohmann::json& message, const char* name) {
  const auto it = message.find(name);
  if (it == message.end()) return "";
  if (it->is_string()) return it->get<std::string>();
  if (it->is_number_integer()) return std::to_string(it->get<long long>());
  return "";
}

}  // namespace

void ModuleService::Serve(int fd) {
  asio::io_context io;
  tcp::socket socket(io);
  beast::error_code ec;
  // The service owner closes `fd`; the stream works on its own descriptor of the socket.
  socket.assign(tcp::v4(), ::dup(fd), ec);
  if (ec) return;
  websocket::stream<tcp::socket> ws(std::move(socket));
  ws.set_option(websocket::stream_base::decorator(
      [](websocket::response_type& res) { res.set(beast::http::field::server, "kry-module"); }));
  ws.accept(ec);
  if (ec) {
    record_.Add("module: handshake refused: " + ec.message());
    return;
  }
  record_.Add("module: client connected");
  PendingFile file;
  auto send = [&](const std::string& text) {
    ws.text(true);
    ws.write(asio::buffer(text), ec);
    return !ec;
  };
  auto finish = [&] {
    shell_.StoreFile(file.path, file.bytes.substr(0, file.size));
    file = PendingFile{};
  };

  for (;;) {
    beast::flat_buffer buffer;
    ws.read(buffer, ec);
    if (ec) break;
    std::string data = beast::buffers_to_string(buffer.data());
    if (!ws.got_text()) {
      if (!file.active) {
        record_.Add("module: binary frame of " + std::to_string(data.size()) + " bytes without put-file");
        continue;
      }
      file.bytes += data;
      if (faults_.moduleDropFile && file.bytes.size() * 2 >= file.size) {
        record_.Add("module: connection dropped in the middle of " + file.path);
        break;
      }
      if (file.bytes.size() >= file.size) finish();
      continue;
    }
    if (file.active) {
      record_.Add("module: " + file.path + " incomplete, " + std::to_string(file.bytes.size()) +
                  " of " + std::to_string(file.size) + " bytes");
      file = PendingFile{};
    }
    const auto message = nlohmann::json::parse(data, nullptr, false);
    const std::string cmd = message.is_object() ? Field(message, "cmd") : "";
    if (cmd == "exec-cmd") {
      const std::string output = shell_.Run(Field(message, "command"));
      if (!output.empty() && !send(output)) break;
    } else if (cmd == "put-file") {
      const std::string path = Field(message, "file");
      const long long size = platform::ParseDecimal(Field(message, "size"));
      record_.Add("module: put-file " + path + " announced, " + std::to_string(size) + " bytes");
      if (!send(kPutFileReply)) break;
      file.path = path;
      file.size = size > 0 ? static_cast<std::size_t>(size) : 0;
      file.active = true;
      if (file.size == 0) finish();
    } else {
      record_.Add("module: not a command: " + data.substr(0, 200));
      if (!send("error: not a command\n")) break;
    }
    if (!shell_.Up()) break;  // rebooting: the connection simply ends
  }
  if (file.active)
    record_.Add("module: " + file.path + " incomplete, " + std::to_string(file.bytes.size()) + " of " +
                std::to_string(file.size) + " bytes");
  record_.Add("module: client left");
  beast::error_code ignored;
  ws.next_layer().shutdown(tcp::socket::shutdown_both, ignored);
}

}  // namespace vcisim
