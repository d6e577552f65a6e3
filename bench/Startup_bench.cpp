// Start-up time of the windowed program: from starting OrbManager to its main window shown
// (the log line "Main window shown."), offline in a fresh root folder against vci-sim, with
// the display the caller gives (Xvfb, or QT_QPA_PLATFORM=offscreen). Its peer is the least
// any Qt Widgets program pays: starting a program that shows one empty window.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "bench/QuietSpawn.h"
#include "platform/Files.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VciSim.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kGiveUp = std::chrono::seconds(60);

std::string SelfPath() {
  char path[4096];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string();
}

struct Setup {
  Setup() {
    ::setenv("XDG_CONFIG_HOME", folder.path().c_str(), 1);
    ::unsetenv("SystemRoot");
    ::unsetenv("windir");
    platform::CreateFolders(folder / "kry");
    sim.WriteKryIni(folder / "kry/KRY.ini");
    program = platform::JoinPath(platform::FolderOf(SelfPath()), "OrbManager");
    ready = sim.ok() && platform::FileExists(program);
  }
  testing_support::TempFolder folder;
  testing_support::VciSim sim{{"--module"}};
  std::string program;
  bool ready = false;
};

Setup& TheSetup() {
  static Setup setup;
  return setup;
}

// A root folder as an offline start finds it: configuration and language files, and the
// application catalogue an online run kept (without it the program refuses to start).
void LayOutRoot(const std::string& root) {
  platform::CreateFolders(root + "/Config");
  platform::CreateFolders(root + "/Language");
  platform::CreateFolders(root + "/Download");
  platform::WriteFile(root + "/Download/APPS.xml", "<APPS><CLASS /><APP /></APPS>");
  for (const char* file :
       {"Config/KavoraC.ini", "Config/DeviceList.xml", "Language/EN.xml", "Language/CS.xml"}) {
    const auto text = platform::ReadFile(std::string(ORB_SOURCE_DIR) + "/" + file);
    if (text) platform::WriteFile(root + "/" + file, *text);
  }
}

// Starts `argv` in `folder` in a process group of its own and waits until `done` says so;
// then ends the group. Seconds taken, or a negative value when it never got there.
double TimeUntil(std::vector<std::string> argv, const std::string& folder,
                 const std::function<bool()>& done) {
  const auto start = Clock::now();
  const pid_t pid = SpawnQuiet(std::move(argv), folder, true);
  if (pid < 0) return -1;
  double seconds = -1;
  int status = 0;
  while (Clock::now() - start < kGiveUp) {
    if (done()) {
      seconds = std::chrono::duration<double>(Clock::now() - start).count();
      break;
    }
    if (::waitpid(pid, &status, WNOHANG) == pid) return -1;
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  ::kill(-pid, SIGTERM);
  const auto end = Clock::now() + std::chrono::seconds(5);
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (Clock::now() > end) {
      ::kill(-pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ::kill(-pid, SIGKILL);  // helpers of the group (the web engine's) that outlived it
  return seconds;
}

bool FileHolds(const std::string& path, const std::string& text) {
  const auto content = platform::ReadFile(path);
  return content && content->find(text) != std::string::npos;
}

void BM_StartUp_OrbManager(benchmark::State& state) {
  Setup& setup = TheSetup();
  if (!setup.ready) {
    state.SkipWithError("OrbManager or vci-sim not built");
    return;
  }
  for (auto _ : state) {
    testing_support::TempFolder root;
    LayOutRoot(root.path());
    const std::string log = root / "Kavora.log";
    const double s = TimeUntil({setup.program}, root.path(),
                               [&] { return FileHolds(log, "Main window shown."); });
    if (s < 0) {
      state.SkipWithError("OrbManager did not show its main window");
      return;
    }
    state.SetIterationTime(s);
  }
}

void BM_Peer_BareQtWindow(benchmark::State& state) {
  for (auto _ : state) {
    testing_support::TempFolder folder;
    const std::string marker = folder / "shown";
    const double s = TimeUntil({SelfPath(), "--bare-window", marker}, folder.path(),
                               [&] { return platform::FileExists(marker); });
    if (s < 0) {
      state.SkipWithError("the bare window did not show");
      return;
    }
    state.SetIterationTime(s);
  }
}

BENCHMARK(BM_StartUp_OrbManager)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_Peer_BareQtWindow)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

// The peer's program: one empty window shown, a marker file written, the end.
int BareWindow(int argc, char** argv, const std::string& marker) {
  QApplication app(argc, argv);
  QWidget window;
  window.resize(800, 600);
  window.show();
  std::ofstream(marker) << "shown\n";
  QTimer::singleShot(0, &app, &QApplication::quit);
  return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--bare-window") return BareWindow(argc, argv, argv[2]);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
