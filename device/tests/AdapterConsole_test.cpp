#include "device/AdapterConsole.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "core/ProgramTexts.h"
#include "device/UnlockProcedure.h"
#include "platform/Clock.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/ScriptedTcpServer.h"

namespace {

using testing_support::ScriptedTcpServer;

const std::string kDoWindowSize = "\xFF\xFD\x1F";
const std::string kWillEcho = "\xFF\xFB\x01";
const std::string kDoSuppress = "\xFF\xFD\x03";

// Plays a console that negotiates, waits for the request, sends `listing` and records
// everything the program sent until it closes.
struct Console {
  explicit Console(std::string listing, std::string negotiation = kDoWindowSize + kWillEcho)
      : server([this, listing, negotiation](int fd) {
          ScriptedTcpServer::Send(fd, negotiation);
          std::string got = ScriptedTcpServer::Receive(fd, 15 + 12 + 3);
          ScriptedTcpServer::Send(fd, listing);
          got += ScriptedTcpServer::Receive(fd, 1 << 20, 300);
          std::lock_guard<std::mutex> lock(mutex);
          received = got;
          finished = true;
          done.notify_all();
        }) {}
  // Everything the program sent, once the conversation is over.
  std::string Received() {
    std::unique_lock<std::mutex> lock(mutex);
    done.wait_for(lock, std::chrono::seconds(10), [this] { return finished; });
    return received;
  }
  device::ConsoleOptions options() const {
    device::ConsoleOptions o;
    o.port = server.port();
    return o;
  }
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  std::string received;
  ScriptedTcpServer server;
};

TEST(AdapterConsole, JudgesTheListing) {
  struct Case {
    const char* reply;
    device::ConsoleResult result;
  } cases[] = {
      {"showshortport\r\nport 6820 unconnected\r\n->", device::kConsoleNothingToDrop},
      {"showshortport\r\nport 6820 192.168.8.34:5123\r\n->", device::kConsoleDropSent},
      {"showshortport\r\n6820 192.168.8.3 but unconnected\r\n->", device::kConsoleNothingToDrop},
      {"192.168.8.3\r\nnothing here ->", device::kConsoleNothingToDrop},  // before the CR only
      {"no carriage return 192.168.8.1 ->->", device::kConsoleNoReply},
      {"", device::kConsoleNoReply},
  };
  for (const auto& c : cases) EXPECT_EQ(device::JudgeConsoleReply(c.reply), c.result) << c.reply;
}

TEST(AdapterConsole, NegotiatesAndDropsABlockingConnection) {
  Console console("->showshortport\r\nPort 6820 connected from 192.168.8.20:40112\r\n->",
                  kDoWindowSize + kWillEcho + kDoSuppress);
  EXPECT_EQ(device::RunConsoleDialogue("127.0.0.1", console.options()), device::kConsoleDropSent);
  const std::string sent = console.Received();
  EXPECT_NE(sent.find("showshortport\r\n"), std::string::npos);
  // WILL window size with 80 x 24, DO for a WILL, WON'T for any other DO.
  EXPECT_NE(sent.find(std::string("\xFF\xFB\x1F\xFF\xFA\x1F", 6) +
                      std::string("\x00\x50\x00\x18", 4) + "\xFF\xF0"),
            std::string::npos);
  EXPECT_NE(sent.find("\xFF\xFD\x01"), std::string::npos);
  EXPECT_NE(sent.find("\xFF\xFC\x03"), std::string::npos);
  EXPECT_NE(sent.find("disconnect 6820\r\n"), std::string::npos);
}

TEST(AdapterConsole, SendsNothingWhenUnconnectedOrWithoutCarriageReturn) {
  for (const char* listing : {"showshortport\r\nPort 6820 unconnected 192.168.8.1\r\n->->",
                              "showshortport\nPort 6820 192.168.8.20\n->->"}) {
    Console console(listing);
    const auto result = device::RunConsoleDialogue("127.0.0.1", console.options());
    EXPECT_NE(result, device::kConsoleDropSent) << listing;
    EXPECT_EQ(console.Received().find("disconnect"), std::string::npos) << listing;
  }
}

TEST(AdapterConsole, BoundedAgainstSilentFloodingAndMissingConsoles) {
  platform::ScaledClock fast(0.001);
  platform::SetClock(&fast);
  {
    Console silent("no prompt ever\r\n");  // never prompts: the overall time-out ends it
    EXPECT_EQ(device::RunConsoleDialogue("127.0.0.1", silent.options()), device::kConsoleNoReply);
  }
  {
    Console flood(std::string(3 << 20, 'x'));  // megabytes without a prompt
    EXPECT_EQ(device::RunConsoleDialogue("127.0.0.1", flood.options()), device::kConsoleNoReply);
  }
  {
    // Option requests without end from a console that never reads the answers: once both
    // socket buffers are full the answers cannot go out, and the deadline ends the dialogue.
    // Filling them takes tens of milliseconds, so the ten seconds last 100 ms here.
    platform::ScaledClock slower(0.01);
    platform::SetClock(&slower);
    ScriptedTcpServer options(
        [](int fd) {
          std::string burst;
          while (burst.size() < (1 << 16)) burst += "\xFF\xFD\x01";
          while (::send(fd, burst.data(), burst.size(), MSG_NOSIGNAL) > 0) {
          }
        },
        "127.0.0.1", 1024);
    device::ConsoleOptions o;
    o.port = options.port();
    EXPECT_EQ(device::RunConsoleDialogue("127.0.0.1", o), device::kConsoleNoReply);
    platform::SetClock(&fast);
  }
  device::ConsoleOptions closed;
  closed.port = 1;  // nothing listens there
  EXPECT_EQ(device::RunConsoleDialogue("127.0.0.1", closed), device::kConsoleNoReply);
  EXPECT_EQ(device::RunConsoleDialogue("not an address", closed), device::kConsoleNoReply);
  platform::SetClock(nullptr);
}

std::string Loopback() { return "127.0.0.1"; }

TEST(UnlockProcedure, AsksFirstAndTellsWhetherTheConsoleAnswered) {
  {
    Console console("showshortport\r\n6820 192.168.8.9\r\n->->");
    testing_support::ScriptedInteraction ui;
    ui.Answer({true});
    EXPECT_EQ(device::UnlockDevice(ui, Loopback, console.options()), device::kConsoleDropSent);
    const auto shown = ui.shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].windowName, "LUWNDTIP");
    EXPECT_EQ(shown[0].text, core::Text(core::TextId::kUnlockQuestion));
    EXPECT_EQ(shown[0].value, 1);  // OK and Cancel
    EXPECT_EQ(shown[1].text, core::Text(core::TextId::kDeviceUnlocked));
    EXPECT_EQ(shown[1].value, 0);  // OK only
  }
  {
    Console console("showshortport\r\n6820 192.168.8.9\r\n->->");
    testing_support::ScriptedInteraction ui;
    ui.Answer({false});
    EXPECT_EQ(device::UnlockDevice(ui, Loopback, console.options()), device::kConsoleNoReply);
    EXPECT_EQ(ui.shown().size(), 1u);
  }  // the console saw no connection at all: its server times out waiting for one
  {
    testing_support::ScriptedInteraction ui;
    device::ConsoleOptions nowhere;
    nowhere.port = 1;
    device::UnlockDevice(ui, Loopback, nowhere);
    EXPECT_EQ(ui.Texts("tip").back(), core::Text(core::TextId::kConsoleNoAnswer));
  }
}

}  // namespace
