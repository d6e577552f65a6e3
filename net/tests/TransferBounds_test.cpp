// Hostile loopback peers: every transfer ends within its bound on the program clock, fails,
// and leaves the kept file as it was.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <cstdint>
#include <thread>

#include "net/DownloadFile.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "tests/support/ScriptedTcpServer.h"
#include "tests/support/TempFolder.h"

namespace {

using testing_support::ScriptedTcpServer;
using testing_support::TempFolder;

// Reads what the client sends until it hangs up.
void WaitForClose(int fd) { ScriptedTcpServer::Receive(fd, SIZE_MAX, 20000); }

void SendUntilClosed(int fd, const std::string& head, const std::string& piece, int pauseUs) {
  if (::send(fd, head.data(), head.size(), MSG_NOSIGNAL) < 0) return;
  while (::send(fd, piece.data(), piece.size(), MSG_NOSIGNAL) > 0)
    if (pauseUs > 0) std::this_thread::sleep_for(std::chrono::microseconds(pauseUs));
}

const std::string kChunkedHead = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
std::string Chunk(std::size_t n) {
  char size[32];
  std::snprintf(size, sizeof size, "%zx\r\n", n);
  return size + std::string(n, 'x') + "\r\n";
}

TEST(TransferBounds, HostilePeersFailWithinTheirBound) {
  platform::ScaledClock fast(0.001);  // a minute of program time lasts 60 ms
  platform::SetClock(&fast);
  const auto endless = [](int fd) { SendUntilClosed(fd, kChunkedHead, Chunk(16384), 0); };
  const auto trickle = [](int fd) { SendUntilClosed(fd, kChunkedHead, Chunk(1), 500); };
  const auto announcesTooMuch = [](int fd) {
    SendUntilClosed(fd, "HTTP/1.1 200 OK\r\nContent-Length: 70000\r\n\r\n", "", 0);
    WaitForClose(fd);
  };
  const struct {
    const char* name;
    ScriptedTcpServer::Script peer;
    net::TransferOptions options;
    const char* reason;
  } cases[] = {
      {"silent after the request", WaitForClose, {}, "no data for 60 s"},
      {"endless update.ini", endless, net::UpdateInfoTransfer(""), "more than the 65536 bytes"},
      {"update.ini announced too long", announcesTooMuch, net::UpdateInfoTransfer(""), "65536"},
      {"description trickling on", trickle, net::DescriptionTransfer(""), "not done within 5 s"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedTcpServer peer(c.peer);
    TempFolder local;
    const std::string kept = local.Put("file", "kept");
    const net::TransferResult r = net::DownloadFileTo(
        "http://127.0.0.1:" + std::to_string(peer.port()) + "/file", kept, c.options);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.reason.find(c.reason), std::string::npos) << r.reason;
    EXPECT_LE(r.received, std::max<std::uint64_t>(c.options.maxBytes, 1 << 20));
    EXPECT_EQ(platform::ReadFile(kept).value_or(""), "kept");
  }
  platform::SetClock(nullptr);
}

}  // namespace
