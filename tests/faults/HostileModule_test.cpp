// A peer on the module's command port that is not a friendly module: it streams frames
// without end. Each command ends in bounded time with a clear outcome; nothing is kept from
// the hostile stream beyond the reply buffer. The clock runs a thousand times faster, so the
// minute-long reply bound lasts 60 ms.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

#include "firmware/DeviceReset.h"
#include "firmware/WebSocket.h"
#include "firmware/ZWSFirmwareUpdate.h"
#include "firmware/tests/ScriptedServer.h"
#include "platform/Clock.h"
#include "tests/support/LoggedTest.h"
#include "tests/support/ScriptedInteraction.h"

namespace {

using fwtest::Peer;
using fwtest::ScriptedServer;

class HostileModule : public testing_support::LoggedTest {
 protected:
  platform::Clock& TestClock() override { return clock; }

  platform::ScaledClock clock{0.001};
  testing_support::ScriptedInteraction ui;
};

// Continuation frames without end: only the reply bound can end the command (each read
// waits up to 100 s). The command itself was sent, so it succeeds and shows nothing (the one
// message is the next command's); the channel is closed, so the next command cannot go out,
// and says so.
TEST_F(HostileModule, EndlessContinuationFramesEndTheCommandAndCloseTheChannel) {
  ScriptedServer server([&](Peer& peer) {
    peer.AcceptHandshake();
    if (peer.ReadFrame()) {
      peer.Send(std::string("\x01\x03", 2) + "abc");  // text, not final
      std::string unfinal = Peer::Frame(firmware::kWsContinuation, std::string(1000, 'c'));
      unfinal[0] = static_cast<char>(firmware::kWsContinuation);  // clear FIN
      for (int i = 0; i < 1000000 && !peer.SeesEnd(0); ++i) peer.Send(unfinal);
    }
    peer.SeesEnd(5000);
  });
  firmware::ZWSFirmwareUpdate ws(ui);
  ASSERT_TRUE(ws.Connect("127.0.0.1", server.port()));
  char output[2048];
  std::uint32_t length = 0;
  EXPECT_TRUE(ws.RunCommand("cat /etc/release", 100000, output, sizeof output, &length));
  EXPECT_LE(length, sizeof output);
  EXPECT_FALSE(ws.RunCommand("md5sum /tmp/firmware.bin", 1000, output, sizeof output, &length));
  EXPECT_EQ(ui.Texts("message"), std::vector<std::string>{"RunCommand Error!"});
  EXPECT_NE(LogText().find("does not end; the channel is closed."), std::string::npos);
}

// Program time at a hundredth that stands still until the peer floods and the reader first
// looks at it: on a busy machine either side may be held up longer than a scaled read lasts.
class FloodClock : public platform::ScaledClock {
 public:
  FloodClock() : ScaledClock(0.01) {}
  std::int64_t NowMs() override {
    if (!flooding_) return 0;
    std::call_once(started_, [this] { from_ = ScaledClock::NowMs(); });
    return ScaledClock::NowMs() - from_;
  }
  void Flooding() { flooding_ = true; }

 private:
  std::atomic<bool> flooding_{false};
  std::once_flag started_;
  std::int64_t from_ = 0;
};

// A module that answers the reset's reboot with one-byte frames for ever: the reset reads
// them for five seconds at most.
TEST_F(HostileModule, EndlessAnswersToTheRebootEndTheReadingAtItsBound) {
  FloodClock floodClock;
  platform::SetClock(&floodClock);
  ScriptedServer server([&](Peer& peer) {
    peer.AcceptHandshake();
    if (!peer.ReadFrame()) return;
    const std::string frame = Peer::Frame(firmware::kWsText, "x");
    std::string burst;
    while (burst.size() < 65536) burst += frame;
    // The clock starts once replies are already queued, so a slow build (sanitizers) cannot
    // let a scaled read time out between the first frame and the flood.
    peer.Send(frame);
    peer.Send(burst);
    floodClock.Flooding();
    while (!peer.SeesEnd(0)) peer.Send(burst);
  });
  EXPECT_TRUE(firmware::SendModuleReboot("127.0.0.1", server.port()));
  server.Finish();
  platform::SetClock(&clock);
  EXPECT_NE(LogText().find("The module keeps answering the reboot command"), std::string::npos);
}

}  // namespace
