// The module's command service and the console, driven by clients that are not the
// program's own: Boost.Beast's WebSocket client and a raw socket.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <boost/asio/connect.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/websocket.hpp>
#include <optional>

#include "codec/MD5.h"
#include "device/AdapterConsole.h"
#include "platform/Files.h"
#include "sdk/LinkSocket.h"
#include "sim/vci/FirmwareImage.h"
#include "tests/support/VciSim.h"

namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace websocket = beast::websocket;
using tcp = asio::ip::tcp;
using testing_support::VciSim;

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// A Beast client on the module's port 7890.
class ModuleClient {
 public:
  explicit ModuleClient(const std::string& address) : ws_(io_) {
    beast::error_code ec;
    ws_.next_layer().connect(tcp::endpoint(asio::ip::make_address(address), 7890), ec);
    if (!ec) ws_.handshake(address, "/", ec);
    ok_ = !ec;
  }
  bool ok() const { return ok_; }
  bool Text(const std::string& text) {
    beast::error_code ec;
    ws_.text(true);
    ws_.write(asio::buffer(text), ec);
    return !ec;
  }
  bool Binary(const std::string& bytes) {
    beast::error_code ec;
    ws_.binary(true);
    ws_.write(asio::buffer(bytes), ec);
    return !ec;
  }
  // The next reply frame; none when the connection ended.
  std::optional<std::string> Read() {
    beast::flat_buffer buffer;
    beast::error_code ec;
    ws_.read(buffer, ec);
    if (ec) return std::nullopt;
    return beast::buffers_to_string(buffer.data());
  }
  std::optional<std::string> Exec(const std::string& command) {
    if (!Text("{ \"cmd\":\"exec-cmd\", \"idx\":\"0\", \"command\":\"" + command + "\"}"))
      return std::nullopt;
    return Read();
  }
  // Announces and sends a file in pieces of 16384 bytes; the reply to the announcement. A
  // connection the service drops halfway ends the sending (or not, when the socket buffers
  // took the rest): what follows shows it either way.
  std::optional<std::string> Put(const std::string& path, const std::string& bytes) {
    if (!Text("{ \"cmd\":\"put-file\", \"idx\":\"0\", \"size\":\"" + std::to_string(bytes.size()) +
              "\",\"file\":\"" + path + "\"}"))
      return std::nullopt;
    auto reply = Read();
    for (std::size_t i = 0; reply && i < bytes.size(); i += 16384)
      if (!Binary(bytes.substr(i, 16384))) break;
    return reply;
  }

 private:
  asio::io_context io_;
  websocket::stream<tcp::socket> ws_;
  bool ok_ = false;
};

const char kMount[] = "ps | grep mount_root | grep -v grep | wc -l";

class ModuleServiceTest : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("KAVORA_TIME_SCALE", "0.01", 1); }
};

TEST_F(ModuleServiceTest, RunsTheProgramsCommandsAndKeepsFilesInTheSandbox) {
  VciSim sim({"--module", "--mount-polls", "2"});
  ASSERT_TRUE(sim.ok()) << sim.output();
  ModuleClient c(sim.address());
  ASSERT_TRUE(c.ok());
  EXPECT_EQ(c.Exec(kMount), "1\n");
  EXPECT_EQ(c.Exec(kMount), "1\n");
  EXPECT_EQ(c.Exec(kMount), "0\n");
  const auto release = c.Exec("cat /etc/release");
  ASSERT_TRUE(release);
  EXPECT_NE(release->find("[release]\nopenwrt=V1.0.3"), std::string::npos);

  std::string tool(40000, '\0');
  for (std::size_t i = 0; i < tool.size(); ++i) tool[i] = static_cast<char>(i * 7);
  EXPECT_EQ(c.Put("/bin/kry-fwup", tool), "put-file ready\n");
  // chmod prints nothing: the next frame answers the next command.
  ASSERT_TRUE(
      c.Text("{ \"cmd\":\"exec-cmd\", \"idx\":\"0\", \"command\":\"chmod 777 /bin/kry-fwup\"}"));
  EXPECT_EQ(c.Exec("md5sum /bin/kry-fwup"), Lower(codec::MD5Text(tool)) + "  /bin/kry-fwup\n");
  EXPECT_EQ(platform::ReadFile(sim.sandbox() + "/bin/kry-fwup"), tool);

  EXPECT_EQ(c.Put("../../../escape.txt", "abc"), "put-file ready\n");
  EXPECT_EQ(c.Put("/tmp/empty", ""), "put-file ready\n");
  EXPECT_EQ(c.Exec("md5sum /tmp/empty"), "d41d8cd98f00b204e9800998ecf8427e  /tmp/empty\n");
  EXPECT_EQ(platform::ReadFile(sim.sandbox() + "/escape.txt"), std::string("abc"));
  EXPECT_EQ(c.Exec("md5sum /bin/none"),
            "md5sum: can't open '/bin/none': No such file or directory\n");
  EXPECT_EQ(c.Exec("chmod 777 /bin/none"), "chmod: /bin/none: No such file or directory\n");
  EXPECT_EQ(c.Exec("rm -rf /"), "/bin/ash: rm: not found\n");
  ASSERT_TRUE(c.Text("not json"));
  EXPECT_EQ(c.Read(), "error: not a command\n");
  EXPECT_TRUE(
      sim.WaitFor("put-file /bin/kry-fwup: 40000 bytes, md5 " + Lower(codec::MD5Text(tool))));
}

TEST_F(ModuleServiceTest, UpgradeLeavesTheNetworkAndComesBackWithTheNewRelease) {
  // 100 s of program time away: 1 s at this scale.
  VciSim sim({"--module", "--mount-polls", "0", "--upgrade-ms", "100000"});
  ASSERT_TRUE(sim.ok()) << sim.output();
  {
    ModuleClient c(sim.address());
    ASSERT_TRUE(c.ok());
    EXPECT_EQ(c.Put("/tmp/firmware.bin", "not an image"), "put-file ready\n");
    EXPECT_EQ(c.Exec("ubus call rpc-sys upgrade_start"), "Command failed: Invalid argument\n");
    const std::string image = vcisim::MakeDoipImage(
        "[release]\nopenwrt=V1.0.4\nuboot=2020.04\ndevice=DOIPMOD\n[checksum]\nopenwrt=abc\n",
        "xyz");
    EXPECT_EQ(c.Put("/tmp/firmware.bin", image), "put-file ready\n");
    EXPECT_EQ(c.Exec("ubus call rpc-sys upgrade_start"), std::nullopt) << "the module just leaves";
  }
  ASSERT_TRUE(sim.WaitFor("module leaves the network (upgrade)"));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(ModuleClient(sim.address()).ok()) << "refused while away";
  ASSERT_TRUE(sim.WaitFor("module back: version V1.0.4", 15000));
  std::optional<std::string> release;
  for (int i = 0; i < 200 && !release; ++i) {
    ModuleClient c(sim.address());
    if (c.ok())
      release = c.Exec("cat /etc/release");
    else
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(release);
  EXPECT_NE(release->find("openwrt=V1.0.4"), std::string::npos);
}

TEST_F(ModuleServiceTest, FaultSwitches) {
  {
    VciSim sim({"--module", "--module-refuse"});
    ASSERT_TRUE(sim.ok());
    EXPECT_FALSE(ModuleClient(sim.address()).ok());
  }
  {
    VciSim sim({"--module", "--mount-never-finishes", "--mount-polls", "0"});
    ASSERT_TRUE(sim.ok());
    ModuleClient c(sim.address());
    for (int i = 0; i < 5; ++i) EXPECT_EQ(c.Exec(kMount), "1\n");
  }
  {
    VciSim sim({"--module", "--module-corrupt"});
    ASSERT_TRUE(sim.ok());
    ModuleClient c(sim.address());
    const std::string bytes(1000, 'a');
    c.Put("/tmp/firmware.bin", bytes);
    const auto sum = c.Exec("md5sum /tmp/firmware.bin");
    ASSERT_TRUE(sum);
    EXPECT_NE(sum->substr(0, 32), Lower(codec::MD5Text(bytes)));
  }
  {
    VciSim sim({"--module", "--module-drop-file"});
    ASSERT_TRUE(sim.ok());
    ModuleClient c(sim.address());
    EXPECT_EQ(c.Put("/tmp/firmware.bin", std::string(100000, 'b')), "put-file ready\n");
    EXPECT_EQ(c.Read(), std::nullopt) << "dropped in the middle of the file";
    EXPECT_TRUE(sim.WaitFor("connection dropped in the middle of /tmp/firmware.bin"));
    EXPECT_FALSE(platform::FileExists(sim.sandbox() + "/tmp/firmware.bin"));
  }
  {
    VciSim sim({"--module", "--module-never-returns", "--reboot-ms", "1000"});
    ASSERT_TRUE(sim.ok());
    {
      ModuleClient c(sim.address());
      EXPECT_EQ(c.Exec("reboot"), std::nullopt);
    }
    // The service stops listening within a tick or two of the module leaving (longer on a
    // loaded machine), and stays away past the reboot time.
    bool away = false;
    for (int i = 0; i < 250 && !away; ++i) {
      away = !ModuleClient(sim.address()).ok();
      if (!away) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(away);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // 20 s of program time
    EXPECT_FALSE(ModuleClient(sim.address()).ok());
    EXPECT_TRUE(sim.Recorded("module leaves the network (reboot) for good"));
  }
}

// ---- the console, over a raw socket and through the program's own dialogue -------------

std::string ReadUntilPrompts(int fd, int prompts) {
  std::string got;
  char c;
  auto count = [&] {
    int n = 0;
    for (std::size_t p = got.find("->"); p != std::string::npos; p = got.find("->", p + 2)) ++n;
    return n;
  };
  while (count() < prompts && kry_link::ReceiveExact(fd, &c, 1, 3000)) got.push_back(c);
  return got;
}

TEST_F(ModuleServiceTest, ConsoleNegotiatesListsAndFreesThePort) {
  VciSim sim;
  ASSERT_TRUE(sim.ok()) << sim.output();
  int fd = kry_link::ConnectTcp(sim.address(), 6822, 3000);
  ASSERT_GE(fd, 0);
  const std::string greeting = ReadUntilPrompts(fd, 1);
  EXPECT_EQ(greeting.substr(0, 6), std::string("\xFF\xFD\x1F\xFF\xFB\x03", 6));
  const std::string naws("\xFF\xFB\x1F\xFF\xFA\x1F\x00\x50\x00\x18\xFF\xF0", 12);
  const std::string request = naws + "showshortport\r\n";
  ASSERT_TRUE(kry_link::SendAll(fd, request.data(), request.size()));
  const std::string listing = ReadUntilPrompts(fd, 1);
  EXPECT_NE(listing.find("6820   connected    192.168.8.100:50123\r\n"), std::string::npos)
      << listing;
  EXPECT_EQ(listing.find("unconnected"), std::string::npos);
  ASSERT_TRUE(kry_link::SendAll(fd, "disconnect 6820\r\n", 17));
  ReadUntilPrompts(fd, 1);
  ASSERT_TRUE(kry_link::SendAll(fd, "showshortport\r\n", 15));
  EXPECT_NE(ReadUntilPrompts(fd, 1).find("6820   unconnected"), std::string::npos);
  kry_link::CloseSocket(fd);
  EXPECT_TRUE(sim.WaitFor("console: window size 80x24"));
  EXPECT_TRUE(sim.Recorded("console: dropped 192.168.8.100:50123 on port 6820"));
}

TEST_F(ModuleServiceTest, TheProgramsConsoleDialogueAgainstTheSimulator) {
  VciSim sim;
  ASSERT_TRUE(sim.ok()) << sim.output();
  EXPECT_EQ(device::RunConsoleDialogue(sim.address()), device::kConsoleDropSent);
  ASSERT_TRUE(sim.WaitFor("console: dropped 192.168.8.100:50123 on port 6820"));
  EXPECT_EQ(device::RunConsoleDialogue(sim.address()), device::kConsoleNothingToDrop);

  VciSim silent({"--console-no-prompt"});
  ASSERT_TRUE(silent.ok());
  device::ConsoleOptions options;
  options.overallTimeoutMs = 3000;  // program time: 30 ms here
  EXPECT_EQ(device::RunConsoleDialogue(silent.address(), options), device::kConsoleNoReply);
}

}  // namespace
