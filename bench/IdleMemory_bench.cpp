// The program's memory when idle: OrbManager starts offline against vci-sim (offscreen),
// and three seconds after its main window is shown the RSS and PSS of its process tree
// (web engine helpers included) are summed. Peer: a bare Qt program showing one web view
// on an empty page, measured the same way (this binary with --peer).
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QWebEngineView>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/QuietSpawn.h"
#include "platform/Files.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VciSim.h"

namespace {

long StatusKb(int pid, const char* file, const char* key) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/" + file);
  for (std::string line; std::getline(in, line);)
    if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::string(key).size());
  return 0;
}

int ParentOf(int pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto close = all.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream rest(all.substr(close + 2));
  char state;
  int ppid = -1;
  rest >> state >> ppid;
  return ppid;
}

// The process and all its descendants.
std::vector<int> Tree(int root) {
  std::map<int, int> parent;
  if (DIR* d = ::opendir("/proc")) {
    while (dirent* e = ::readdir(d)) {
      const int pid = std::atoi(e->d_name);
      if (pid > 0) parent[pid] = ParentOf(pid);
    }
    ::closedir(d);
  }
  std::vector<int> tree{root};
  for (std::size_t i = 0; i < tree.size(); ++i)
    for (const auto& [pid, ppid] : parent)
      if (ppid == tree[i]) tree.push_back(pid);
  return tree;
}

void Measure(const char* what, int pid) {
  long rss = 0, pss = 0;
  const std::vector<int> tree = Tree(pid);
  for (int p : tree) {
    rss += StatusKb(p, "status", "VmRSS:");
    pss += StatusKb(p, "smaps_rollup", "Pss:");
  }
  std::printf("%-34s %3zu processes  RSS %7.1f MiB  PSS %7.1f MiB\n", what, tree.size(),
              static_cast<double>(rss) / 1024.0, static_cast<double>(pss) / 1024.0);
  std::fflush(stdout);
}

int Spawn(std::vector<std::string> args, const std::string& folder) {
  return SpawnQuiet(std::move(args), folder, false);
}

// Ends the one process we started; never a process group or every process (pid <= 0).
void End(int pid) {
  if (pid <= 0) return;
  ::kill(pid, SIGTERM);
  for (int i = 0; i < 500; ++i) {
    if (::waitpid(pid, nullptr, WNOHANG) == pid) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
}

int Peer(int argc, char** argv) {
  QApplication app(argc, argv);
  QWebEngineView view;
  view.resize(960, 640);
  view.setHtml("<html><body></body></html>");
  view.show();
  return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
  ::unsetenv("KAVORA_TIME_SCALE");
  if (argc > 1 && std::string(argv[1]) == "--peer") return Peer(argc, argv);

  testing_support::TempFolder root;
  ::setenv("XDG_CONFIG_HOME", root.path().c_str(), 1);
  for (const char* f : {"Config", "Language", "Download", "kry"}) platform::CreateFolders(root / f);
  platform::WriteFile(root / "Language/EN.xml",
                      platform::ReadFile(ORB_SOURCE_DIR "/Language/EN.xml").value_or("<lang/>"));
  platform::WriteFile(root / "Config/DeviceList.xml",
                      platform::ReadFile(ORB_SOURCE_DIR "/Config/DeviceList.xml").value_or("<L/>"));
  platform::WriteFile(root / "Download/APPS.xml", "<APPS/>");
  platform::WriteFile(root / "Config/KavoraC.ini", "[CONFIG]\nLANGUAGE=1\nOfflineMode=1\n");
  testing_support::VciSim adapter({"--module"});
  if (!adapter.ok()) return 1;
  adapter.WriteKryIni(root / "kry/KRY.ini");

  const int program = Spawn({ORB_PROGRAM}, root.path());  // an absolute path
  if (program <= 0) return 1;
  bool shown = false;
  for (int i = 0; i < 3000 && !shown; ++i) {
    shown = platform::ReadFile(root / "Kavora.log").value_or("").find("Main window shown.") !=
            std::string::npos;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (!shown) {
    std::fprintf(stderr, "OrbManager did not show its main window\n");
    End(program);
    return 1;
  }
  std::this_thread::sleep_for(std::chrono::seconds(3));
  Measure("OrbManager, idle after start-up", program);
  End(program);

  // The peer is this very program, found by its absolute path (the child starts in root).
  char self[4096] = {};
  if (::readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return 1;
  const int peer = Spawn({self, "--peer"}, root.path());
  if (peer <= 0) return 1;
  std::this_thread::sleep_for(std::chrono::seconds(5));
  Measure("peer: one web view, empty page", peer);
  End(peer);
  return 0;
}
