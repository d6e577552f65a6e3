// module exec|put|release as a user runs them, against a scripted module on loopback.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/tests/CliRun.h"
#include "firmware/tests/ScriptedServer.h"
#include "platform/Files.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VciSim.h"

namespace {

using fwtest::ScriptedServer;

using ModuleRun = testing_support::ShellResult;

// `timeScale` shortens the pauses; a short read time-out must stay long enough for a busy
// machine to schedule the scripted module's answer.
ModuleRun Module(const testing_support::TempFolder& root, const std::string& args,
                 const std::string& timeScale = "0.25") {
  return clitest::RunCli(root.path(), "module " + args,
                         "TMPDIR='" + root.path() + "' KAVORA_TIME_SCALE=" + timeScale);
}

// Every module command as a user runs it. exec prints the output and its length; the
// simulator's module whose mount check never finishes answers "1" for ever.
TEST(ModuleCli, ExecReleasePutFloodAndBadUsage) {
  testing_support::TempFolder root;
  testing_support::VciSim sim({"--module", "--mount-never-finishes", "--mount-polls", "0"});
  ASSERT_TRUE(sim.ok()) << sim.output();
  const std::string mountCheck =
      "exec " + sim.address() + ":7890 'ps | grep mount_root | grep -v grep | wc -l'";
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(nlohmann::json::parse(Module(root, mountCheck).out),
              nlohmann::json({{"output", "1\n"}, {"length", 2}}));

  std::vector<fwtest::ClientFrame> got;
  ScriptedServer module = fwtest::AnsweringModule(
      {"[release]\nopenwrt=21.02.3\nuboot=2020.04\ndevice=KRY-DoIP\n[checksum]\nopenwrt=abc\n"},
      &got);
  // The release is read for 200 ms only: at full length.
  const ModuleRun run = Module(root, "release 127.0.0.1:" + module.port(), "1");
  EXPECT_EQ(nlohmann::json({run.code, nlohmann::json::parse(run.out)}),
            nlohmann::json::parse(R"([0, {"openwrt": "21.02.3", "uboot": "2020.04",
                                          "device": "KRY-DoIP", "checksum": "abc"}])"));
  EXPECT_TRUE(platform::FileExists(root / "kry_openwrt.ini"));

  platform::WriteFile(root / "tool", "#!/bin/sh\n");
  std::vector<fwtest::ClientFrame> offered;
  ScriptedServer receiver = fwtest::AnsweringModule({"ok"}, &offered);
  const ModuleRun put = Module(root, "put 127.0.0.1:" + receiver.port() + " tool /bin/kry-fwup");
  EXPECT_EQ(nlohmann::json({put.code, nlohmann::json::parse(put.out)["sent"]}),
            nlohmann::json({0, true}));

  // Header lines without end: the command ends at its read time-out, and fails. Every
  // command connects the same way.
  ScriptedServer flood([](fwtest::Peer& peer) {
    peer.ReadRequest();
    peer.Send("HTTP/1.1 101 Switching Protocols\r\n");
    while (!peer.SeesEnd(0)) peer.Send(std::string(4000, 'X') + ": flood\r\n");
  });
  const auto flooded = Module(root, "exec 127.0.0.1:" + flood.port() + " ls");
  EXPECT_EQ(nlohmann::json({flooded.code, nlohmann::json::parse(flooded.out)["ok"]}),
            nlohmann::json({1, false}));
  EXPECT_EQ(Module(root, "exec 127.0.0.1").code, 2);
  EXPECT_EQ(Module(root, "reboot").code, 2);
}

}  // namespace
