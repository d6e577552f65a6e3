// Open, identity read and close of the adapter through the SDK against vci-sim on loopback
// (target: median under 5 ms), beside its peer: a fresh TCP connection to the same simulator
// carrying one request and reply, the floor that any open over the link pays.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include "core/Interaction.h"
#include "device/ZKRYDevice.h"
#include "device/ZKRYSdk.h"
#include "platform/Files.h"
#include "sdk/KRYLink.h"
#include "sdk/LinkSocket.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VciSim.h"

namespace {

struct Setup {
  Setup() {
    ::setenv("XDG_CONFIG_HOME", folder.path().c_str(), 1);
    ::unsetenv("SystemRoot");
    ::unsetenv("windir");
    platform::CreateFolders(folder / "kry");
    sim.WriteKryIni(folder / "kry/KRY.ini");
    core::SilentInteraction ui;
    ready = sim.ok() && device::ZKRYSdk::Instance().Load(ui);
  }
  testing_support::TempFolder folder;
  testing_support::VciSim sim{{"--module"}};
  bool ready = false;
};

Setup& TheSetup() {
  static Setup setup;
  return setup;
}

void BM_OpenReadIdentityClose(benchmark::State& state) {
  if (!TheSetup().ready) {
    state.SkipWithError("vci-sim or libKRY.so not available");
    return;
  }
  device::ZKRYDevice dev;
  for (auto _ : state) {
    if (dev.Open() != 0 || !dev._ReadHWInfo() || dev.Close() != 0) {
      state.SkipWithError("the adapter did not answer");
      return;
    }
    benchmark::DoNotOptimize(dev.serialNumber());
  }
}
BENCHMARK(BM_OpenReadIdentityClose)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

// Peer: one bare request and reply on a fresh TCP connection to the simulator's SDK port.
void BM_Peer_TcpRoundTrip(benchmark::State& state) {
  if (!TheSetup().ready) {
    state.SkipWithError("vci-sim not available");
    return;
  }
  for (auto _ : state) {
    int fd =
        kry_link::ConnectTcp(TheSetup().sim.address(), testing_support::VciSim::kSdkPort, 3000);
    if (fd < 0) {
      state.SkipWithError("no connection");
      return;
    }
    std::int32_t result = 0;
    std::string reply;
    kry_link::Call(fd, kry_link::kEcho, "", 3000, result, reply);
    kry_link::CloseSocket(fd);
  }
}
BENCHMARK(BM_Peer_TcpRoundTrip)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
