// The command channel: connecting, running commands and sending files.
#include "firmware/ZWSFirmwareUpdate.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "core/Log.h"
#include "firmware/ModuleMessages.h"
#include "firmware/WsSocket.h"
#include "platform/Clock.h"
#include "platform/Deadline.h"

namespace firmware {
namespace {

constexpr std::size_t kPieceBytes = 16384;
constexpr int kPutFileReplyMs = 1000;
constexpr int kBeforePiecesMs = 3000;
constexpr int kBetweenPiecesMs = 32;
// A reply that is still arriving after this long never ends: a module in a loop, or a
// peer that is not the module.
constexpr std::int64_t kReplyLimitMs = 60000;

// conn_send_text as the callers use it: no text, no connection or a closed role send nothing.
std::int64_t SendText(ws_conn* conn, const std::string& text) {
  if (!conn || text.empty() || conn->role == kWsRoleClosed) return -1;
  return conn_send_text(conn, text);
}

}  // namespace

void ZWSFirmwareUpdate::ShowError(const std::string& text) {
  shownError_ = text;
  ui_.ShowMessage(text, "", core::MessageIcon::Error);
}

FirmwareResult ZWSFirmwareUpdate::Failure(FirmwareStage stage) const {
  return FirmwareResult::Failed(stage, shownError_);
}

bool ZWSFirmwareUpdate::Connect(const std::string& address, const std::string& port) {
  if (HasChannel()) return true;
  CloseChannel();  // a context left from a failed attempt
  context_ = ws_context_new();
  LOG_INFO("WS: Connect to device.");
  if (!context_) {
    LOG_ERROR("WS: Failed on create new instance.");
    return false;
  }
  ws_conn* conn = conn_connect(context_, address.c_str(), port.c_str());
  if (conn_is_open(conn)) {
    conn_ = conn;
    return true;
  }
  if (conn) conn_close(conn);
  CloseChannel();
  LOG_ERROR("WS: Failed on device.");
  return false;
}

bool ZWSFirmwareUpdate::RunCommand(const std::string& command, int timeoutMs, char* output,
                                   std::size_t capacity, std::uint32_t* outputLength) {
  const auto message = ExecCmdMessage(command);
  if (!message || SendText(conn_, *message) != static_cast<std::int64_t>(message->size())) {
    [[maybe_unused]] const int socketError = errno;
    ShowError("RunCommand Error!");
    return false;
  }
  char buffer[kWsReadBufferSize];
  const auto replyLimit = platform::Deadline::After(kReplyLimitMs);
  for (;;) {
    if (replyLimit.Passed()) {
      // What is left of it would be read as the next command's reply.
      LOG_ERROR("WS: the reply to {0} does not end; the channel is closed.", command);
      if (conn_) conn_->socket.Close();
      break;
    }
    const int n = conn_read(conn_, buffer, timeoutMs);
    if (n <= 0) break;
    const std::size_t held = std::min<std::size_t>(*outputLength, capacity);
    const std::size_t copied = std::min<std::size_t>(static_cast<std::size_t>(n), capacity - held);
    std::memcpy(output + held, buffer, copied);
    *outputLength = static_cast<std::uint32_t>(held + copied);
  }
  return true;
}

bool ZWSFirmwareUpdate::PutFile(const std::string& localPath, const std::string& modulePath) {
  // A folder opens as a stream too, with an absurd size: only regular files are sent.
  std::error_code error;
  if (!std::filesystem::is_regular_file(localPath, error)) return false;
  std::ifstream file(localPath, std::ios::binary);
  if (!file) return false;
  file.seekg(0, std::ios::end);
  const std::streamoff end = file.tellg();
  if (end < 0) return false;
  const auto size = static_cast<std::uint64_t>(end);
  file.seekg(0, std::ios::beg);
  LOG_INFO("WS: PutFile {0}.", localPath);

  const auto message = PutFileMessage(size, modulePath);
  if (!message || SendText(conn_, *message) != static_cast<std::int64_t>(message->size())) {
    LOG_INFO("WS: failed on conn_send_text.");
    return false;
  }
  char reply[kWsReadBufferSize];
  if (conn_read(conn_, reply, kPutFileReplyMs) <= 0) {
    LOG_INFO("WS: failed on conn_read.");
    return false;
  }
  platform::SleepMs(kBeforePiecesMs);

  std::vector<char> piece(kPieceBytes);
  std::uint64_t total = 0;
  while (total < size) {
    file.read(piece.data(), static_cast<std::streamsize>(piece.size()));
    const auto n = static_cast<std::int64_t>(file.gcount());
    if (n <= 0) break;
    const std::int64_t sent = conn_send(conn_, true, kWsBinary, n, piece.data());
    if (sent > 0) total += static_cast<std::uint64_t>(sent);
    if (sent != n) break;
    platform::SleepMs(kBetweenPiecesMs);
  }
  return total == size;
}

}  // namespace firmware
