// The WebSocket client's two costs: processor time while conn_read waits for nothing (beside
// the zero-length-sleep polling it replaces), and PutFile throughput with the fixed pauses
// scaled to zero (beside a plain blocking send of the same bytes over loopback).
#include <benchmark/benchmark.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "firmware/WebSocket.h"
#include "firmware/WsSocket.h"
#include "firmware/ZWSFirmwareUpdate.h"
#include "firmware/tests/ScriptedServer.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "tests/support/VciSim.h"

namespace {

using fwtest::Peer;
using fwtest::ScriptedServer;

double ProcessCpuSeconds() {
  timespec t{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double WallSeconds() {
  timespec t{};
  ::clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Accepts the handshake and stays silent until the client leaves.
ScriptedServer Silent() {
  return ScriptedServer([](Peer& peer) {
    peer.AcceptHandshake();
    peer.SeesEnd(60000);
  });
}

template <typename Read>
void MeasureIdleRead(benchmark::State& state, Read read) {
  ScriptedServer server = Silent();
  firmware::ws_context* context = firmware::ws_context_new();
  firmware::ws_conn* conn = firmware::conn_connect(context, "127.0.0.1", server.port().c_str());
  char buffer[firmware::kWsReadBufferSize];
  read(conn, buffer, 100);  // takes in the handshake response
  double cpu = 0, wall = 0;
  for (auto _ : state) {
    const double c0 = ProcessCpuSeconds(), w0 = WallSeconds();
    benchmark::DoNotOptimize(read(conn, buffer, 1000));
    cpu += ProcessCpuSeconds() - c0;
    wall += WallSeconds() - w0;
  }
  state.counters["cpu_percent_of_a_core"] = 100.0 * cpu / wall;
  firmware::conn_close(conn);
  firmware::ws_context_free(context);
}

void BM_ConnReadIdle(benchmark::State& state) { MeasureIdleRead(state, firmware::conn_read); }

// The peer: the same loop with a zero-length sleep between polls instead of a wait.
int SpinningRead(firmware::ws_conn* conn, char* buffer, int timeoutMs) {
  const std::int64_t start = platform::TheClock().NowMs();
  int filled = 0;
  for (;;) {
    if (auto piece = firmware::conn_poll(conn)) filled += static_cast<int>(piece->size());
    if (!firmware::conn_is_open(conn)) break;
    if (platform::TheClock().NowMs() - start > timeoutMs) break;
    std::this_thread::yield();
  }
  (void)buffer;
  return filled;
}

void BM_ConnReadIdle_SpinningPeer(benchmark::State& state) { MeasureIdleRead(state, SpinningRead); }

// Fixed pauses take no time; time-outs last a tenth of their length (the reply to the
// put-file message is read for 100 ms, which the figure includes).
class NoPauseClock : public platform::ScaledClock {
 public:
  NoPauseClock() : ScaledClock(0.1) {}
  void Sleep(std::int64_t) override {}
};

constexpr std::size_t kFileBytes = 64u << 20;

const std::string& ImageFile() {
  static const std::string path = [] {
    std::string p = "/tmp/orb-bench-putfile.bin";
    platform::WriteFile(p, std::string(kFileBytes, '\x5a'));
    return p;
  }();
  return path;
}

// Answers the put-file message and takes in every byte until the client leaves.
ScriptedServer Sink() {
  return ScriptedServer([](Peer& peer) {
    peer.AcceptHandshake();
    peer.ReadFrame();
    peer.SendFrame(firmware::kWsText, "ok");
    std::string buffer(1 << 20, '\0');
    while (::recv(peer.fd(), buffer.data(), buffer.size(), 0) > 0) {
    }
  });
}

void BM_PutFile64MiB(benchmark::State& state) {
  const std::string& path = ImageFile();
  NoPauseClock clock;
  platform::SetClock(&clock);
  core::SilentInteraction ui;
  for (auto _ : state) {
    state.PauseTiming();
    ScriptedServer server = Sink();
    firmware::ZWSFirmwareUpdate ws(ui);
    ws.Connect("127.0.0.1", server.port());
    state.ResumeTiming();
    const bool sent = ws.PutFile(path, "/tmp/firmware.bin");
    state.PauseTiming();
    if (!sent) {
      state.SkipWithError("PutFile failed");
      break;
    }
    ws.CloseChannel();
    server.Finish();
    state.ResumeTiming();
  }
  platform::SetClock(nullptr);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileBytes));
}

// The same transfer to the simulator's module service (Boost.Beast), which writes the file into
// its sandbox as it arrives; PutFile has ended when its last piece is sent.
void BM_PutFile64MiB_Simulator(benchmark::State& state) {
  const std::string& path = ImageFile();
  testing_support::VciSim sim({"--module"});
  if (!sim.ok()) {
    state.SkipWithError("vci-sim did not start");
    return;
  }
  NoPauseClock clock;
  platform::SetClock(&clock);
  core::SilentInteraction ui;
  int iteration = 0;
  for (auto _ : state) {
    state.PauseTiming();
    firmware::ZWSFirmwareUpdate ws(ui);
    ws.Connect(sim.address(), firmware::kModulePort);
    state.ResumeTiming();
    const bool sent = ws.PutFile(path, "/tmp/firmware.bin");
    state.PauseTiming();
    // The next transfer starts once the simulator has stored and recorded this one.
    const auto stored = [&] {
      int n = 0;
      for (const auto& line : sim.Record())
        n += line.find("put-file /tmp/firmware.bin:") != std::string::npos;
      return n;
    };
    while (sent && stored() < iteration + 1)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ++iteration;
    if (!sent) {
      state.SkipWithError("PutFile failed");
      break;
    }
    ws.CloseChannel();
    state.ResumeTiming();
  }
  platform::SetClock(nullptr);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileBytes));
}

// The peer: one blocking send of the same bytes over a loopback TCP connection.
void BM_LoopbackPlainSend64MiB(benchmark::State& state) {
  const std::string data(kFileBytes, '\x5a');
  for (auto _ : state) {
    state.PauseTiming();
    ScriptedServer server([](Peer& peer) {
      std::string buffer(1 << 20, '\0');
      while (::recv(peer.fd(), buffer.data(), buffer.size(), 0) > 0) {
      }
    });
    const auto address = firmware::WsResolve("127.0.0.1", server.port().c_str());
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0) {
      ::close(fd);
      state.SkipWithError("the loopback peer did not take the connection");
      break;
    }
    state.ResumeTiming();
    std::size_t sent = 0;
    while (sent < data.size()) {
      const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) break;
      sent += static_cast<std::size_t>(n);
    }
    state.PauseTiming();
    ::close(fd);
    server.Finish();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileBytes));
}

BENCHMARK(BM_ConnReadIdle)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_ConnReadIdle_SpinningPeer)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK(BM_PutFile64MiB)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_PutFile64MiB_Simulator)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_LoopbackPlainSend64MiB)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

}  // namespace
