// The WebSocket client against scripted loopback servers that send what a friendly server
// never would.
#include "firmware/WebSocket.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "firmware/WsHandshake.h"
#include "firmware/WsRandom.h"
#include "firmware/WsSocket.h"
#include "firmware/tests/ScriptedServer.h"
#include "net/Base64.h"

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

TEST(WsHandshake, AcceptValueOfTheRfcExample) {
  EXPECT_EQ(WsAcceptValue("dGhlIHNhbXBsZSBub25jZQ=="), "s3pPLMBiTxaQ9kYGzzhZRbK+xOo=");
}

TEST(WsHandshake, KeyIsFourGeneratorValuesAsLittleEndianWords) {
  WsSeed(12345);
  const int values[4] = {WsRandom(), WsRandom(), WsRandom(), WsRandom()};
  WsSeed(12345);
  const std::string key = WsMakeKey();
  ASSERT_EQ(key.size(), 24u);
  const std::string bytes = net::Base64Decode(key);
  ASSERT_EQ(bytes.size(), 16u);
  for (int i = 0; i < 4; ++i) {
    const auto* w = reinterpret_cast<const unsigned char*>(bytes.data() + 4 * i);
    EXPECT_EQ(w[0] | (w[1] << 8), values[i]);
    EXPECT_EQ(w[2], 0);
    EXPECT_EQ(w[3], 0);
  }
  // The generator of the workshop computer's C library.
  WsSeed(1);
  EXPECT_EQ(WsRandom(), 41);
  EXPECT_EQ(WsRandom(), 18467);
}

TEST(WsSocket, AnAbsentPortMeansEighty) {
  EXPECT_STREQ(WsPortOrDefault(nullptr), "80");
  EXPECT_STREQ(WsPortOrDefault(""), "80");
  EXPECT_STREQ(WsPortOrDefault("7890"), "7890");
  const auto address = WsResolve("127.0.0.1", nullptr);
  ASSERT_TRUE(address);
  EXPECT_EQ(ntohs(address->sin_port), 80);
  EXPECT_EQ(ntohs(WsResolve("127.0.0.1", "7890")->sin_port), 7890);
}

TEST(WebSocket, SendsTheRequestTextAndHoldsTheContext) {
  std::string request;
  ScriptedServer server([&](Peer& peer) {
    request = peer.ReadRequest();
  });
  {
    Client client(server);
    ASSERT_TRUE(client.conn);
    EXPECT_EQ(client.context->references, 2);  // the connection holds one
    EXPECT_EQ(client.conn->id, 1);
    EXPECT_EQ(client.conn->port, server.port());
    EXPECT_EQ(client.conn->closeStatus, 1006);
    client.Read(50);
    const std::string key = client.conn->handshake.key;
    server.Finish();
    EXPECT_EQ(request, "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\n"
                       "Connection: Upgrade\r\nSec-WebSocket-Key: " + key +
                           "\r\nSec-WebSocket-Version: 13\r\nOrigin: http://127.0.0.1\r\n\r\n");
  }
}

TEST(WebSocket, HandshakeResponsesAcceptedOrRejected) {
  struct Case {
    const char* name;
    std::function<std::string(const std::string& accept)> response;
    bool accepted;
  } cases[] = {
      {"plain", [](const std::string& a) {
         return "HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                "Sec-WebSocket-Accept: " + a + "\r\n\r\n"; }, true},
      {"lower case names, blanks, tabs, other headers", [](const std::string& a) {
         return "HTTP/1.1    101\r\nupgrade:websocket\r\nServer: x\r\n\tconnection :\tupgrade \r\n"
                "sec-websocket-accept:  " + a + " \r\n\r\n"; }, true},
      {"header line of 8191 bytes", [](const std::string& a) {
         return "HTTP/1.1 101 OK\r\nUpgrade: websocket\r\nConnection: Upgrade\r\nX-Long: " +
                std::string(8191 - 10, 'x') + "\r\nSec-WebSocket-Accept: " + a + "\r\n\r\n"; }, true},
      {"header line of 8192 bytes", [](const std::string& a) {
         return "HTTP/1.1 101 OK\r\nUpgrade: websocket\r\nConnection: Upgrade\r\nX-Long: " +
                std::string(8192 - 10, 'x') + "\r\nSec-WebSocket-Accept: " + a + "\r\n\r\n"; }, false},
      {"two Upgrade headers", [](const std::string& a) {
         return "HTTP/1.1 101 OK\r\nUpgrade: websocket\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                "Sec-WebSocket-Accept: " + a + "\r\n\r\n"; }, false},
      {"two Sec-WebSocket-Protocol headers", [](const std::string& a) {
         return "HTTP/1.1 101 OK\r\nUpgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Protocol: a\r\n"
                "Sec-WebSocket-Protocol: a\r\nSec-WebSocket-Accept: " + a + "\r\n\r\n"; }, false},
      {"no Sec-WebSocket-Accept", [](const std::string&) {
         return std::string("HTTP/1.1 101 OK\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n\r\n"); }, false},
      {"wrong Sec-WebSocket-Accept", [](const std::string&) {
         return std::string("HTTP/1.1 101 OK\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                            "Sec-WebSocket-Accept: s3pPLMBiTxaQ9kYGzzhZRbK+xOo=\r\n\r\n"); }, false},
      {"no Connection", [](const std::string& a) {
         return "HTTP/1.1 101 OK\r\nUpgrade: websocket\r\nSec-WebSocket-Accept: " + a + "\r\n\r\n"; }, false},
      {"status 200", [](const std::string& a) {
         return "HTTP/1.1 200 OK\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                "Sec-WebSocket-Accept: " + a + "\r\n\r\n"; }, false},
      {"a line that is no header", [](const std::string& a) {
         return "HTTP/1.1 101 OK\r\nUpgrade: websocket\r\nConnection: Upgrade\r\nnonsense\r\n"
                "Sec-WebSocket-Accept: " + a + "\r\n\r\n"; }, false},
  };
  for (const auto& c : cases) {
    ScriptedServer server([&](Peer& peer) {
      const std::string key = Peer::KeyOf(peer.ReadRequest());
      peer.Send(c.response(Peer::AcceptFor(key)));
      peer.SendFrame(kWsText, "ok");
      peer.SeesEnd(2000);
    });
    Client client(server);
    ASSERT_TRUE(client.conn) << c.name;
    const std::string got = client.Read(200);
    EXPECT_EQ(got, c.accepted ? "ok" : "") << c.name;
    EXPECT_EQ(client.conn->handshakeComplete, c.accepted) << c.name;
    EXPECT_EQ(conn_is_open(client.conn), c.accepted) << c.name;
  }
}

TEST(WebSocket, ResponseArrivingInPiecesIsJoined) {
  ScriptedServer server([&](Peer& peer) {
    const std::string key = Peer::KeyOf(peer.ReadRequest());
    const std::string response = "HTTP/1.1 101 OK\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                                 "Sec-WebSocket-Accept: " + Peer::AcceptFor(key) + "\r\n\r\n";
    for (std::size_t i = 0; i < response.size(); i += 7) {
      peer.Send(response.substr(i, 7));
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    peer.SendFrame(kWsText, "ok");
    peer.SeesEnd(2000);
  });
  Client client(server);
  EXPECT_EQ(client.Read(300), "ok");
}

// A server that accepts the handshake and then runs `frames`.
ScriptedServer Serving(std::function<void(Peer&)> frames) {
  return ScriptedServer([frames = std::move(frames)](Peer& peer) {
    peer.AcceptHandshake();
    frames(peer);
  });
}

TEST(WebSocket, LongFrameIsHandedOutOverTwoReads) {
  const std::string text = Pattern(1500);
  ScriptedServer server = Serving([&](Peer& peer) {
    peer.SendFrame(kWsText, text);
    peer.SeesEnd(2000);
  });
  Client client(server);
  EXPECT_EQ(client.Read(), text.substr(0, 1024));
  EXPECT_EQ(client.Read(), text.substr(1024));
  EXPECT_EQ(client.Read(20), "");
}

TEST(WebSocket, FramesWithinOneTimeOutAreJoined) {
  ScriptedServer server = Serving([&](Peer& peer) {
    peer.SendFrame(kWsText, "0123456789");
    peer.SendFrame(kWsBinary, "abcdefghij");
    peer.SendFrame(kWsPong, "dropped");
    peer.SeesEnd(2000);
  });
  Client client(server);
  EXPECT_EQ(client.Read(200), "0123456789abcdefghij");
}

TEST(WebSocket, PingIsAnsweredWithAMaskedPongAndNotDelivered) {
  std::vector<fwtest::ClientFrame> pongs;
  ScriptedServer server = Serving([&](Peer& peer) {
    peer.SendFrame(kWsPing, "abc");
    peer.SendFrame(kWsPing, "");
    for (int i = 0; i < 2; ++i)
      if (auto f = peer.ReadFrame()) pongs.push_back(*f);
    peer.SendFrame(kWsText, "after");
    peer.SeesEnd(2000);
  });
  Client client(server);
  EXPECT_EQ(client.Read(200), "after");
  conn_close(client.conn);
  client.conn = nullptr;
  server.Finish();
  ASSERT_EQ(pongs.size(), 2u);
  for (const auto& pong : pongs) {
    EXPECT_EQ(pong.opcode, kWsPong);
    EXPECT_TRUE(pong.masked);
    EXPECT_EQ(pong.mask[0], 0);
    EXPECT_EQ(pong.mask[1], 0);
  }
  EXPECT_EQ(pongs[0].payload, "abc");
  EXPECT_EQ(pongs[1].payload, "");
}

TEST(WebSocket, FramesThatCloseTheSocket) {
  auto closeFrame = [](const std::string& payload) { return Peer::Frame(kWsClose, payload); };
  struct Case {
    const char* name;
    std::string bytes;
    int closeStatus;
    std::string reason;
  } cases[] = {
      {"empty text frame", Peer::Frame(kWsText, ""), 1006, ""},
      {"empty continuation frame", Peer::Frame(kWsContinuation, ""), 1006, ""},
      {"Close 1000", closeFrame(std::string("\x03\xe8", 2) + "bye"), 1000, "bye"},
      {"Close without status", closeFrame(""), 1005, ""},
      {"64-bit length with upper bytes set",
       std::string("\x81\x7f\x00\x00\x00\x01\x00\x00\x00\x05", 10) + "hello", 1006, ""},
      {"longer than the bound",
       std::string("\x82\x7f\x00\x00\x00\x00\x04\x00\x00\x01", 10) + "x", 1006, ""},
  };
  for (const auto& c : cases) {
    std::string afterwards;
    ScriptedServer server = Serving([&](Peer& peer) {
      peer.Send(c.bytes);
      // Nothing may come back before the end: no Close reply, no pong.
      char byte;
      while (::recv(peer.fd(), &byte, 1, 0) == 1) afterwards.push_back(byte);
    });
    Client client(server);
    EXPECT_EQ(client.Read(2000), "") << c.name;
    EXPECT_FALSE(conn_is_open(client.conn)) << c.name;
    EXPECT_EQ(client.conn->closeStatus, c.closeStatus) << c.name;
    EXPECT_EQ(client.conn->closeReason, c.reason) << c.name;
    server.Finish();
    EXPECT_EQ(afterwards, "") << c.name;
    EXPECT_EQ(conn_send_text(client.conn, "late"), 0) << c.name;
  }
}

TEST(WebSocket, FrameArrivingByteByByteIsPutTogether) {
  const std::string text = Pattern(300);
  const std::uint8_t mask[4] = {0x12, 0x34, 0x56, 0x78};
  std::string frame("\x81\xfe\x01\x2c", 4);  // masked, 16-bit length 300
  frame.append(reinterpret_cast<const char*>(mask), 4);
  for (std::size_t i = 0; i < text.size(); ++i) frame.push_back(text[i] ^ mask[i & 3]);
  frame += Peer::Frame(kWsText, std::string(70000, 'z'));  // 64-bit length form
  ScriptedServer server = Serving([&](Peer& peer) {
    for (std::size_t i = 0; i < 40; ++i) {
      peer.Send(frame.substr(i, 1));
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    peer.Send(frame.substr(40));
    peer.SeesEnd(2000);
  });
  Client client(server);
  std::string got;
  for (int i = 0; i < 200 && got.size() < text.size() + 70000; ++i) got += client.Read(50);
  EXPECT_EQ(got, text + std::string(70000, 'z'));
}

TEST(WebSocket, PeerEndingTheConnectionKeepsWhatCameBefore) {
  ScriptedServer server = Serving([&](Peer& peer) { peer.SendFrame(kWsText, "last words"); });
  Client client(server);
  EXPECT_EQ(client.Read(2000), "last words");
  EXPECT_FALSE(conn_is_open(client.conn));
  EXPECT_EQ(client.Read(2000), "");
}

TEST(WebSocket, SentFramesAreMaskedInTheirLengthForm) {
  std::vector<fwtest::ClientFrame> frames;
  ScriptedServer server = Serving([&](Peer& peer) {
    while (auto f = peer.ReadFrame()) frames.push_back(*f);
  });
  Client client(server);
  const std::string medium = Pattern(200), large = Pattern(70000);
  EXPECT_EQ(conn_send_text(client.conn, "hello"), 5);
  EXPECT_EQ(conn_send(client.conn, true, kWsBinary, 200, medium.data()), 200);
  EXPECT_EQ(conn_send(client.conn, true, kWsBinary, 70000, large.data()), 70000);
  EXPECT_EQ(conn_send(client.conn, false, kWsBinary, 3, "raw"), 3);
  EXPECT_EQ(conn_send(client.conn, true, kWsBinary, -1, "x"), -1);
  conn_close(client.conn);
  client.conn = nullptr;
  server.Finish();
  ASSERT_EQ(frames.size(), 5u);
  EXPECT_EQ(frames[0].opcode, kWsText);
  EXPECT_EQ(frames[0].payload, "hello");
  EXPECT_EQ(frames[1].payload, medium);
  EXPECT_EQ(frames[2].payload, large);
  EXPECT_FALSE(frames[3].masked);
  EXPECT_EQ(frames[3].payload, "raw");
  for (int i : {0, 1, 2, 4}) {
    EXPECT_TRUE(frames[i].masked) << i;
    EXPECT_EQ(frames[i].mask[0] | frames[i].mask[1], 0) << i;
  }
  EXPECT_EQ(frames[4].opcode, kWsClose);  // conn_close: an empty Close frame
  EXPECT_EQ(frames[4].payload, "");
}

TEST(WebSocket, FullSocketBufferIsWaitedOutNotFailed) {
  const std::string big = Pattern(8u << 20);
  std::size_t received = 0;
  ScriptedServer server = Serving([&](Peer& peer) {
    std::this_thread::sleep_for(std::chrono::milliseconds(150));  // the client's buffer fills
    if (auto f = peer.ReadFrame()) received = f->payload == big ? f->payload.size() : 0;
  });
  Client client(server);
  EXPECT_EQ(conn_send(client.conn, true, kWsBinary, static_cast<std::int64_t>(big.size()),
                      big.data()),
            static_cast<std::int64_t>(big.size()));
  EXPECT_TRUE(client.conn->pendingSend.empty());
  server.Finish();
  EXPECT_EQ(received, big.size());
}

TEST(WebSocket, ConnectionsLeaveTheTableAndFreeTheContextLast) {
  ScriptedServer first([](Peer& peer) { peer.SeesEnd(2000); });
  ScriptedServer second([](Peer& peer) { peer.SeesEnd(2000); });
  ws_context* context = ws_context_new();
  ws_conn* a = conn_connect(context, "127.0.0.1", first.port().c_str());
  ws_conn* b = conn_connect(context, "127.0.0.1", second.port().c_str());
  ASSERT_TRUE(a && b);
  EXPECT_EQ(b->id, 2);
  EXPECT_EQ(context->connections.size(), 2u);
  conn_close(a);
  EXPECT_EQ(context->connections, std::vector<ws_conn*>{b});
  ws_context_free(context);  // the caller's reference; b still holds one
  EXPECT_EQ(b->context->references, 1);
  conn_close(b);
}

TEST(WebSocket, RefusedConnectGivesAClosedConnection) {
  std::string port;
  {
    ScriptedServer gone([](Peer&) {});
    port = gone.port();
  }
  ws_context* context = ws_context_new();
  ws_conn* conn = conn_connect(context, "127.0.0.1", port.c_str());
  ASSERT_TRUE(conn);
  EXPECT_FALSE(conn_is_open(conn));
  char buffer[kWsReadBufferSize];
  EXPECT_EQ(conn_read(conn, buffer, 1000), 0);
  conn_close(conn);
  ws_context_free(context);
}

}  // namespace
