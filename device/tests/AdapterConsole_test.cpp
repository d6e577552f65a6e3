#include "device/AdapterConsole.h"

#include <gtest/gtest.h>

#include <optional>

#include "core/ProgramTexts.h"
#include "device/UnlockProcedure.h"
#include "platform/Clock.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/ScriptedTcpServer.h"
#include "tests/support/VciSim.h"

namespace {

using testing_support::ScriptedTcpServer;

// Plays a console that asks DO window size, WILL echo and DO suppress-go-ahead, waits for the
// request, sends `listing` and records everything the program sent until it closes.
struct Console {
  explicit Console(const std::string& listing) {
    server.emplace([this, listing](int fd) {
      ScriptedTcpServer::Send(fd, "\xFF\xFD\x1F\xFF\xFB\x01\xFF\xFD\x03");
      received = ScriptedTcpServer::Receive(fd, 15 + 12 + 3);
      ScriptedTcpServer::Send(fd, listing);
      received += ScriptedTcpServer::Receive(fd, 1 << 20, 300);
    });
  }
  // Everything the program sent, once the conversation is over.
  std::string Received() {
    server.reset();
    return received;
  }
  device::ConsoleOptions options() const { return {server->port()}; }
  std::string received;
  std::optional<ScriptedTcpServer> server;
};

// A connection and "unconnected" are the dialogue's cases below; here the listing's edges.
TEST(AdapterConsole, JudgesTheListing) {
  const std::pair<const char*, device::ConsoleResult> cases[] = {
      {"192.168.8.3\r\nnothing here ->", device::kConsoleNothingToDrop},  // before the CR only
      {"no carriage return 192.168.8.1 ->->", device::kConsoleNoReply}};
  for (const auto& [reply, result] : cases) EXPECT_EQ(device::JudgeConsoleReply(reply), result);
}

// The disconnect goes out only for a listing that shows a connection.
TEST(AdapterConsole, NegotiatesAndDropsOnlyABlockingConnection) {
  const std::pair<const char*, bool> cases[] = {
      {"->showshortport\r\nPort 6820 connected from 192.168.8.20:40112\r\n->", true},
      {"showshortport\r\nPort 6820 unconnected 192.168.8.1\r\n->->", false}};
  for (const auto& [listing, drops] : cases) {
    Console console(listing);
    EXPECT_EQ(
        device::RunConsoleDialogue("127.0.0.1", console.options()) == device::kConsoleDropSent,
        drops);
    const std::string sent = console.Received();
    // WILL window size with 80 x 24, DO for a WILL, WON'T for any other DO.
    for (const std::string& part :
         {std::string("\xFF\xFB\x1F\xFF\xFA\x1F\x00\x50\x00\x18\xFF\xF0", 12),
          std::string("\xFF\xFD\x01"), std::string("\xFF\xFC\x03"),
          std::string("showshortport\r\n")})
      EXPECT_NE(sent.find(part), std::string::npos);
    EXPECT_EQ(sent.find("disconnect 6820\r\n") != std::string::npos, drops);
  }
}

TEST(AdapterConsole, BoundedAgainstSilentFloodingAndMissingConsoles) {
  platform::ScaledClock fast(0.001), slower(0.01);
  platform::SetClock(&fast);
  {
    Console noise(std::string(3 << 20, 'x'));  // megabytes without a prompt
    EXPECT_EQ(device::RunConsoleDialogue("127.0.0.1", noise.options()), device::kConsoleNoReply);
  }
  {
    // Option requests without end from a console that never reads the answers: once both
    // socket buffers are full the answers cannot go out, and the deadline ends the dialogue.
    // Filling them takes tens of milliseconds, so the ten seconds last 100 ms here.
    platform::SetClock(&slower);
    ScriptedTcpServer options(
        [](int fd) {
          std::string burst;
          while (burst.size() < (1 << 16)) burst += "\xFF\xFD\x01";
          while (::send(fd, burst.data(), burst.size(), MSG_NOSIGNAL) > 0) {
          }
        },
        "127.0.0.1", 1024);
    EXPECT_EQ(device::RunConsoleDialogue("127.0.0.1", device::ConsoleOptions{options.port()}),
              device::kConsoleNoReply);
    platform::SetClock(&fast);
  }
  for (const char* address : {"127.0.0.1", "not an address"})  // nothing listens at port 1
    EXPECT_EQ(device::RunConsoleDialogue(address, device::ConsoleOptions{1}),
              device::kConsoleNoReply);
  // The simulator's silent console: the overall time-out ends it. Its ten seconds last half
  // a second, time enough for a console that prompts to be heard.
  platform::ScaledClock halfSecond(0.05);
  platform::SetClock(&halfSecond);
  testing_support::VciSim silent({"--console-no-prompt"});
  EXPECT_EQ(device::RunConsoleDialogue(silent.address()), device::kConsoleNoReply);
  platform::SetClock(nullptr);
}

// Asks first (OK and Cancel), never touches the adapter when cancelled, and tells the user
// to refresh (OK only) when the console answered, that it did not otherwise.
TEST(UnlockProcedure, AsksFirstAndTellsWhetherTheConsoleAnswered) {
  for (const bool agree : {true, false}) {
    Console console("showshortport\r\n6820 192.168.8.9\r\n->->");
    testing_support::ScriptedInteraction ui;
    ui.Answer({agree});
    bool asked = false;
    const auto loopback = [&asked] { return asked = true, std::string("127.0.0.1"); };
    EXPECT_EQ(device::UnlockDevice(ui, loopback, console.options()),
              agree ? device::kConsoleDropSent : device::kConsoleNoReply);
    EXPECT_EQ(asked, agree);
    std::string shown;
    for (const auto& tip : ui.shown())
      shown += tip.windowName + tip.text + std::to_string(tip.value);
    using core::TextId;
    EXPECT_EQ(shown, "LUWNDTIP" + core::Text(TextId::kUnlockQuestion) + "1" +
                         (agree ? "LUWNDTIP" + core::Text(TextId::kDeviceUnlocked) + "0" : ""));
  }  // a cancelled run's console saw no connection at all: its server times out waiting
  testing_support::ScriptedInteraction ui;
  device::UnlockDevice(
      ui, [] { return std::string("127.0.0.1"); }, device::ConsoleOptions{1});
  EXPECT_EQ(ui.Texts("tip").back(), core::Text(core::TextId::kConsoleNoAnswer));
}

}  // namespace
