#include "sim/vci/TcpService.h"

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <chrono>
#include <thread>

#include "sdk/LinkSocket.h"
#include "tests/support/ShellRun.h"

namespace {

// A simulator serves every SDK call on a connection of its own; after many of them it holds
// no more threads than connections still open.
TEST(TcpService, SpentConnectionsLeaveNoThreadsBehind) {
  vcisim::TcpService service("test", "127.0.0.57", 47123, [](int) {});
  ASSERT_TRUE(service.Listen());
  for (int i = 0; i < 300; ++i) {
    int fd = kry_link::ConnectTcp("127.0.0.57", 47123, 1000);
    ASSERT_GE(fd, 0) << i;
    char byte;
    EXPECT_EQ(::recv(fd, &byte, 1, 0), 0) << "the service ends the connection";
    kry_link::CloseSocket(fd);
  }
  std::size_t left = service.WorkerCount();
  for (int i = 0; i < 200 && left > 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    left = service.WorkerCount();
  }
  EXPECT_EQ(left, 0u);
}

TEST(VciSimCommandLine, ServesLoopbackAddressesOnly) {
  const auto run = testing_support::RunShell(std::string(VCI_SIM_PATH) + " --address 0.0.0.0 2>&1");
  EXPECT_EQ(run.code, 2);
  EXPECT_NE(run.out.find("loopback addresses (127.x.x.x) only"), std::string::npos) << run.out;
}

}  // namespace
