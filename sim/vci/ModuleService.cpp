#include "sim/vci/ModuleService.h"

#include <unistd.h>

#include <algorithm>
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
constexpr std::size_t kFrameBufferBytes = 1u << 20;

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
  std::unique_ptr<ReceivedFile> file;  // announced by put-file, bytes still arriving
  auto send = [&](const std::string& text) {
    ws.text(true);
    ws.write(asio::buffer(text), ec);
    return !ec;
  };
  auto finish = [&] {
    std::string line;
    file->Finish(&line);
    record_.Add(line);
    file.reset();
  };
  auto abandon = [&] {
    record_.Add("module: " + file->modulePath() + " incomplete, " +
                std::to_string(file->received()) + " of " + std::to_string(file->size()) +
                " bytes");
    file.reset();
  };

  // One buffer for the whole connection: a fresh one per frame grows, and copies, every time.
  beast::flat_buffer buffer;
  buffer.reserve(kFrameBufferBytes);
  for (;;) {
    buffer.consume(buffer.size());
    ws.read(buffer, ec);
    if (ec) break;
    if (!ws.got_text()) {
      if (!file) {
        record_.Add("module: binary frame of " + std::to_string(buffer.size()) +
                    " bytes without put-file");
        continue;
      }
      const auto* bytes = static_cast<const char*>(buffer.data().data());
      file->Append(bytes, buffer.size());
      const bool drops = faults_.moduleDropFile ||
                         (faults_.moduleDropImage && file->modulePath() == "/tmp/firmware.bin");
      if (drops && file->received() * 2 >= file->size()) {
        record_.Add("module: connection dropped in the middle of " + file->modulePath());
        break;
      }
      if (file->complete()) finish();
      continue;
    }
    const std::string data = beast::buffers_to_string(buffer.data());
    if (file) abandon();
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
      file = shell_.ReceiveFile(path, size > 0 ? static_cast<std::size_t>(size) : 0);
      if (file->complete()) finish();
    } else {
      record_.Add("module: not a command: " + data.substr(0, 200));
      if (!send("error: not a command\n")) break;
    }
    if (!shell_.Up()) break;  // rebooting: the connection simply ends
  }
  if (file) abandon();
  record_.Add("module: client left");
  beast::error_code ignored;
  ws.next_layer().shutdown(tcp::socket::shutdown_both, ignored);
}

}  // namespace vcisim
