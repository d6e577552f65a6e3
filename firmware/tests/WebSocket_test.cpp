// The WebSocket client against scripted loopback servers that send what a friendly server
// never would.
#include "firmware/WebSocket.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <tuple>

#include "codec/Base64.h"
#include "firmware/WsRandom.h"
#include "firmware/tests/ScriptedServer.h"

namespace {

using namespace firmware;
using fwtest::Peer;
using fwtest::ScriptedServer;

struct Client {
  explicit Client(const ScriptedServer& server) {
    conn = conn_connect(context, "127.0.0.1", server.port().c_str());
  }
  ~Client() {
    if (conn) conn_close(conn);
    ws_context_free(context);
  }
  std::string Read(int timeoutMs = 100) {
    char buffer[kWsReadBufferSize];
    const int n = conn_read(conn, buffer, timeoutMs);
    return std::string(buffer, static_cast<std::size_t>(n));
  }
  ws_context* context = ws_context_new();
  ws_conn* conn = nullptr;
};

std::string Pattern(std::size_t n) {
  std::string s;
  for (std::size_t i = 0; i < n; ++i) s.push_back(static_cast<char>('a' + i % 26));
  return s;
}

// The request as a strict server expects it; the key's sixteen bytes are four generator
// values as little-endian words.
TEST(WebSocket, SendsTheRequestTextWithAKeyOfFourGeneratorWords) {
  WsSeed(12345);
  std::string key;
  for (int i = 0; i < 4; ++i)
    for (int v = WsRandom(), byte = 0; byte < 4; ++byte, v >>= 8)
      key.push_back(static_cast<char>(v));
  WsSeed(12345);
  std::string request;
  ScriptedServer server([&](Peer& peer) { request = peer.ReadRequest(); });
  Client client(server);
  client.Read(50);
  server.Finish();
  EXPECT_EQ(request,
            "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\n"
            "Connection: Upgrade\r\nSec-WebSocket-Key: " +
                codec::Base64Encode(key) +
                "\r\nSec-WebSocket-Version: 13\r\nOrigin: http://127.0.0.1\r\n\r\n");
}

TEST(WebSocket, HandshakeResponsesAcceptedOrRejected) {
  // "@" stands for the right Sec-WebSocket-Accept value.
  const std::string ok = "HTTP/1.1 101 OK\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n";
  const std::string accept = "Sec-WebSocket-Accept: @\r\n\r\n";
  const std::tuple<const char*, std::string, bool> cases[] = {
      {"lower case names, blanks, tabs, other headers",
       "HTTP/1.1    101\r\nupgrade:websocket\r\nServer: x\r\n\tconnection :\tupgrade \r\n"
       "sec-websocket-accept:  @ \r\n\r\n",
       true},
      {"8191-byte line", ok + "X-Long: " + std::string(8191 - 10, 'x') + "\r\n" + accept, true},
      {"8192-byte line", ok + "X-Long: " + std::string(8192 - 10, 'x') + "\r\n" + accept, false},
      {"two Upgrade headers", ok + "Upgrade: websocket\r\n" + accept, false},
      {"two Sec-WebSocket-Protocol headers",
       ok + "Sec-WebSocket-Protocol: a\r\nSec-WebSocket-Protocol: a\r\n" + accept, false},
      {"no Sec-WebSocket-Accept", ok + "\r\n", false},
      {"wrong accept", ok + "Sec-WebSocket-Accept: s3pPLMBiTxaQ9kYGzzhZRbK+xOo=\r\n\r\n", false},
      {"status 200", "HTTP/1.1 200" + ok.substr(12) + accept, false},
      {"a line that is no header", ok + "nonsense\r\n" + accept, false},
  };
  for (const auto& [name, reply, accepted] : cases) {
    SCOPED_TRACE(name);
    ScriptedServer server([response = reply](Peer& peer) mutable {
      const std::string key = Peer::KeyOf(peer.ReadRequest());
      if (const auto at = response.find('@'); at != std::string::npos)
        response.replace(at, 1, Peer::AcceptFor(key));
      peer.Send(response);
      peer.SendFrame(kWsText, "ok");
      peer.SeesEnd(5000);  // the client closes first
    });
    Client client(server);
    ASSERT_TRUE(client.conn);
    EXPECT_EQ(client.Read(accepted ? 1000 : 200), accepted ? "ok" : "");
    EXPECT_EQ(client.conn->handshakeComplete, accepted);
    EXPECT_EQ(conn_is_open(client.conn), accepted);
  }
}

// A server that accepts the handshake and then runs `frames`.
ScriptedServer Serving(std::function<void(Peer&)> frames) {
  return ScriptedServer([frames = std::move(frames)](Peer& peer) {
    peer.AcceptHandshake();
    frames(peer);
  });
}

TEST(WebSocket, ReceivedFramesAreJoinedAndKeptPastTheEnd) {
  // The reads end with the last one, after which the connection is over.
  using Frames = std::vector<std::pair<std::uint8_t, std::string>>;
  const std::tuple<const char*, Frames, bool, std::vector<std::string>> cases[] = {
      {"joined in one time-out, pong dropped",
       {{kWsText, "01234"}, {kWsBinary, "abcde"}, {kWsPong, "x"}},
       false,
       {"01234abcde"}},
      {"the peer ends the connection", {{kWsText, "last words"}}, true, {"last words", ""}},
  };
  for (const auto& [name, frames, serverCloses, reads] : cases) {
    SCOPED_TRACE(name);
    ScriptedServer server = Serving([frames = frames, closes = serverCloses](Peer& peer) {
      for (const auto& [opcode, payload] : frames) peer.SendFrame(opcode, payload);
      if (!closes) peer.SeesEnd(2000);
    });
    Client client(server);
    for (const auto& expected : reads) EXPECT_EQ(client.Read(serverCloses ? 2000 : 200), expected);
    EXPECT_EQ(conn_is_open(client.conn), !serverCloses);
  }
}

TEST(WebSocket, FramesThatCloseTheSocket) {
  auto closeFrame = [](const std::string& payload) { return Peer::Frame(kWsClose, payload); };
  const std::tuple<const char*, std::string, int, std::string> cases[] = {
      {"empty text frame", Peer::Frame(kWsText, ""), 1006, ""},
      {"Close 1000", closeFrame(std::string("\x03\xe8", 2) + "bye"), 1000, "bye"},
      {"Close without status", closeFrame(""), 1005, ""},
      {"upper length set", std::string("\x81\x7f\x00\x00\x00\x01\x00\x00\x00\x05", 10) + "hello",
       1006, ""},
      {"longer than the bound", std::string("\x82\x7f\x00\x00\x00\x00\x04\x00\x00\x01", 10) + "x",
       1006, ""},
  };
  for (const auto& [name, bytes, closeStatus, reason] : cases) {
    SCOPED_TRACE(name);
    std::string afterwards;
    ScriptedServer server = Serving([&afterwards, bytes = bytes](Peer& peer) {
      peer.Send(bytes);
      // Nothing may come back before the end: no Close reply, no pong.
      char byte;
      while (::recv(peer.fd(), &byte, 1, 0) == 1) afterwards.push_back(byte);
    });
    Client client(server);
    EXPECT_EQ(client.Read(2000), "");
    server.Finish();
    EXPECT_EQ(
        std::make_tuple(conn_is_open(client.conn), client.conn->closeStatus,
                        client.conn->closeReason, afterwards, conn_send_text(client.conn, "late")),
        std::make_tuple(false, closeStatus, reason, std::string(), std::int64_t{0}));
  }
}

// The handshake answer and a frame header arrive a byte at a time.
TEST(WebSocket, StreamArrivingByteByByteIsPutTogether) {
  const std::string text = Pattern(300);
  const std::uint8_t mask[4] = {0x12, 0x34, 0x56, 0x78};
  std::string frame("\x81\xfe\x01\x2c", 4);  // masked, 16-bit length 300
  frame.append(reinterpret_cast<const char*>(mask), 4);
  for (std::size_t i = 0; i < text.size(); ++i)
    frame.push_back(static_cast<char>(text[i] ^ mask[i & 3]));
  frame += Peer::Frame(kWsText, std::string(70000, 'z'));  // 64-bit length form
  ScriptedServer server([&](Peer& peer) {
    const std::string key = Peer::KeyOf(peer.ReadRequest());
    const std::string stream =
        "HTTP/1.1 101 OK\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
        "Sec-WebSocket-Accept: " +
        Peer::AcceptFor(key) + "\r\n\r\n" + frame;
    const std::size_t split = stream.size() - frame.size() + 40;
    for (std::size_t i = 0; i < split; ++i) {
      peer.Send(stream.substr(i, 1));
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    peer.Send(stream.substr(split));
    peer.SeesEnd(2000);
  });
  Client client(server);
  std::string got;
  for (int i = 0; i < 200 && got.size() < text.size() + 70000; ++i) got += client.Read(50);
  EXPECT_EQ(got, text + std::string(70000, 'z'));
}

// Pings are answered with pongs and never delivered; every frame the client sends is masked
// (the mask's first two bytes zero) in the shortest length form, unless sent raw.
TEST(WebSocket, PingsArePongedAndSentFramesAreMaskedInTheirLengthForm) {
  std::vector<fwtest::ClientFrame> frames;
  ScriptedServer server = Serving([&](Peer& peer) {
    peer.SendFrame(kWsPing, "abc");
    peer.SendFrame(kWsPing, "");
    peer.SendFrame(kWsText, "after");
    while (auto f = peer.ReadFrame()) frames.push_back(*f);
  });
  Client client(server);
  EXPECT_EQ(client.Read(200), "after");
  const std::string medium = Pattern(200), large = Pattern(70000);
  EXPECT_EQ(conn_send_text(client.conn, "hello"), 5);
  EXPECT_EQ(conn_send(client.conn, true, kWsBinary, 200, medium.data()), 200);
  EXPECT_EQ(conn_send(client.conn, true, kWsBinary, 70000, large.data()), 70000);
  EXPECT_EQ(conn_send(client.conn, false, kWsBinary, 3, "raw"), 3);
  EXPECT_EQ(conn_send(client.conn, true, kWsBinary, -1, "x"), -1);
  conn_close(client.conn);  // an empty Close frame goes out before the server is finished
  client.conn = nullptr;
  server.Finish();
  // Opcode, payload, masked with the mask's first two bytes zero; conn_close: an empty Close.
  const std::vector<std::tuple<int, std::string, bool>> expected = {
      {kWsPong, "abc", true},    {kWsPong, "", true},      {kWsText, "hello", true},
      {kWsBinary, medium, true}, {kWsBinary, large, true}, {kWsBinary, "raw", false},
      {kWsClose, "", true}};
  std::vector<std::tuple<int, std::string, bool>> got;
  got.reserve(frames.size());
  for (const auto& f : frames)
    got.emplace_back(f.opcode, f.payload, f.masked && (f.mask[0] | f.mask[1]) == 0);
  EXPECT_EQ(got, expected);
}

TEST(WebSocket, FullSocketBufferIsWaitedOutNotFailed) {
  const std::string big = Pattern(8u << 20);
  std::size_t received = 0;
  ScriptedServer server = Serving([&](Peer& peer) {
    std::this_thread::sleep_for(std::chrono::milliseconds(150));  // the client's buffer fills
    if (auto f = peer.ReadFrame()) received = f->payload == big ? f->payload.size() : 0;
  });
  Client client(server);
  const auto size = static_cast<std::int64_t>(big.size());
  EXPECT_EQ(conn_send(client.conn, true, kWsBinary, size, big.data()), size);
  EXPECT_TRUE(client.conn->pendingSend.empty());
  server.Finish();
  EXPECT_EQ(received, big.size());
}

// A connection leaves its context's table when closed; the context lives on until its last
// connection is gone, so freeing it first never frees what a connection still uses.
TEST(WebSocket, ConnectionsLeaveTheTableAndFreeTheContextLast) {
  ScriptedServer first([](Peer& peer) { peer.SeesEnd(2000); });
  ScriptedServer second([](Peer& peer) { peer.SeesEnd(2000); });
  ws_context* context = ws_context_new();
  ws_conn* a = conn_connect(context, "127.0.0.1", first.port().c_str());
  ws_conn* b = conn_connect(context, "127.0.0.1", second.port().c_str());
  ASSERT_TRUE(a && b);
  conn_close(a);
  EXPECT_EQ(context->connections, std::vector<ws_conn*>{b});
  ws_context_free(context);  // the caller's reference; b still holds one
  EXPECT_EQ(b->context->references, 1);
  conn_close(b);
}

}  // namespace
