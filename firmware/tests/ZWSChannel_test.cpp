// The command channel against scripted loopback servers: pauses ten times shorter, reply
// time-outs only in part, so a loaded machine still hears the scripted replies.
#include <gtest/gtest.h>

#include <tuple>

#include "firmware/ModuleMessages.h"
#include "firmware/ZWSFirmwareUpdate.h"
#include "firmware/tests/ScriptedServer.h"
#include "platform/Files.h"
#include "tests/support/FastPausesClock.h"
#include "tests/support/LoggedTest.h"
#include "tests/support/ScriptedInteraction.h"

namespace {

using firmware::ZWSFirmwareUpdate;
using fwtest::ClientFrame;
using fwtest::ScriptedServer;

class Channel : public testing_support::LoggedTest {
 protected:
  platform::Clock& TestClock() override { return clock; }
  // Runs `action` on a channel to a module that answers `replies`; the frames the module got.
  std::vector<ClientFrame> Exchange(std::vector<std::string> replies,
                                    const std::function<void(ZWSFirmwareUpdate&)>& action) {
    std::vector<ClientFrame> got;
    ScriptedServer server = fwtest::AnsweringModule(std::move(replies), &got);
    EXPECT_TRUE(channel.Connect("127.0.0.1", server.port()));
    action(channel);
    channel.CloseChannel();
    server.Finish();
    return got;
  }

  testing_support::FastPausesClock clock{0.4, 0.1};
  testing_support::ScriptedInteraction ui;
  ZWSFirmwareUpdate channel{ui};
};

// The plain texts are checked on the wire by the channel tests below.
TEST(ModuleMessages, ValuesAreEscapedAndBounded) {
  EXPECT_EQ(*firmware::ExecCmdMessage("echo \"a\\b\"\n\x01"),
            R"({ "cmd":"exec-cmd", "idx":"0", "command":"echo \"a\\b\"\n\u0001"})");
  EXPECT_TRUE(firmware::ExecCmdMessage(std::string(979, 'x')));
  EXPECT_FALSE(firmware::ExecCmdMessage(std::string(980, 'x')));  // would not fit 1024 bytes
}

// Without a channel (the connect was refused) a command shows its error, a file fails.
TEST_F(Channel, WithoutAChannelCommandsAndFilesFail) {
  std::string port;
  {
    ScriptedServer gone([](fwtest::Peer&) {});
    port = gone.port();
  }
  EXPECT_FALSE(channel.Connect("127.0.0.1", port));
  char output[1024] = {};
  std::uint32_t length = 0;
  EXPECT_FALSE(channel.RunCommand("cat /etc/release", 200, output, sizeof output, &length));
  EXPECT_EQ(ui.Texts("message"), std::vector<std::string>{"RunCommand Error!"});
  EXPECT_EQ(ui.shown()[0].icon, core::MessageIcon::Error);
  EXPECT_FALSE(channel.PutFile(temp.Put("file.bin", "content"), "/tmp/x"));
}

TEST_F(Channel, RunCommandCollectsOutputAfterWhatIsHeld) {
  const std::string x(1500, 'x'), y(1500, 'y');
  const std::tuple<const char*, std::vector<std::string>, std::uint32_t, std::string> cases[] = {
      {"no output", {}, 5, "start"},
      {"two frames in one time-out", {"abc", "def\n"}, 0, "abcdef\n"},
      {"after what an earlier command left", {"d41d  /bin/x\n"}, 5, "startd41d  /bin/x\n"},
      {"longer than the buffer is cut", {x, y}, 0, x + y.substr(0, 548)},
  };
  for (const auto& [name, replies, held, expected] : cases) {
    SCOPED_TRACE(name);
    char output[2048] = "start";
    std::uint32_t length = held;
    const auto got = Exchange(replies, [&](ZWSFirmwareUpdate& ws) {
      EXPECT_TRUE(ws.RunCommand("chmod 777 /tmp/x", 1000, output, sizeof output, &length));
    });
    EXPECT_EQ(std::string(output, length), expected);
    ASSERT_GE(got.size(), 1u);
    EXPECT_EQ(got[0].payload, R"({ "cmd":"exec-cmd", "idx":"0", "command":"chmod 777 /tmp/x"})");
  }
  EXPECT_TRUE(ui.shown().empty());
}

TEST_F(Channel, PutFileAnnouncesTheSizeAndSendsPieces) {
  const std::pair<std::size_t, std::vector<std::size_t>> cases[] = {
      {0, {}}, {16384, {16384}}, {40000, {16384, 16384, 7232}}};
  for (const auto& [size, expectedPieces] : cases) {
    SCOPED_TRACE(size);
    std::string content;
    for (std::size_t i = 0; i < size; ++i) content.push_back(static_cast<char>(i * 7));
    platform::WriteFile(temp / "file.bin", content);
    const auto got = Exchange({"ok"}, [&](ZWSFirmwareUpdate& ws) {
      EXPECT_TRUE(ws.PutFile(temp / "file.bin", "/tmp/firmware.bin"));
    });
    EXPECT_EQ(got[0].payload, "{ \"cmd\":\"put-file\", \"idx\":\"0\", \"size\":\"" +
                                  std::to_string(size) + "\",\"file\":\"/tmp/firmware.bin\"}");
    std::string received;
    std::vector<std::size_t> pieces;
    for (std::size_t i = 1; i + 1 < got.size(); ++i) {
      EXPECT_EQ(got[i].opcode, firmware::kWsBinary);
      pieces.push_back(got[i].payload.size());
      received += got[i].payload;
    }
    EXPECT_EQ(pieces, expectedPieces);
    EXPECT_EQ(received, content);
  }
}

// A missing file or a folder is not offered; an offer the module never answers sends no piece.
TEST_F(Channel, PutFileFailures) {
  platform::WriteFile(temp / "file.bin", "content");
  const auto got = Exchange({}, [&](ZWSFirmwareUpdate& ws) {
    EXPECT_FALSE(ws.PutFile(temp / "missing.bin", "/tmp/x"));
    EXPECT_FALSE(ws.PutFile(temp.path(), "/tmp/x"));
    EXPECT_FALSE(ws.PutFile(temp / "file.bin", "/tmp/x"));
  });
  EXPECT_EQ(got.size(), 2u);  // the message and the Close: no piece
}

}  // namespace
