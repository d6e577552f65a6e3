#pragma once
// Runs vci-sim for a test on a loopback address of its own, waits until it serves, and
// reads its record. The test target defines VCI_SIM_PATH ("$<TARGET_FILE:vci-sim>").
//
//   testing_support::VciSim sim({"--module", "--held"});
//   ASSERT_TRUE(sim.ok());
//   sim.WriteKryIni(folder / "kry/KRY.ini");   // LAN at the simulator's address
//   ... sim.WaitFor("led 1 1 1 1") ...
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/Files.h"
#include "tests/support/TempFolder.h"

extern char** environ;

namespace testing_support {

class VciSim {
 public:
  static constexpr int kSdkPort = 6800;

  // A loopback address no other running test uses: built from this process's id and a
  // counter, away from the 127.0.0.x addresses that fixed examples use.
  static std::string UniqueAddress() {
    static std::atomic<int> counter{0};
    const int pid = static_cast<int>(::getpid());
    return "127." + std::to_string(100 + counter++ % 100) + "." +
           std::to_string((pid / 250) % 250) + "." + std::to_string(pid % 250 + 1);
  }

  explicit VciSim(std::vector<std::string> arguments = {}, std::string address = UniqueAddress())
      : address_(std::move(address)) {
    Start(std::move(arguments));
  }
  ~VciSim() { Stop(); }
  VciSim(const VciSim&) = delete;
  VciSim& operator=(const VciSim&) = delete;

  bool ok() const { return ready_; }
  const std::string& address() const { return address_; }
  std::string sandbox() const { return folder_ / "sandbox"; }
  std::string output() const { return platform::ReadFile(folder_ / "stdout.txt").value_or(""); }

  // Ends the simulator (SIGTERM, SIGKILL when it has not ended after 5 s) and waits for it.
  void Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    if (!Poll(5000, [this] { return Ended(); })) ::kill(pid_, SIGKILL), ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  std::vector<std::string> Record() const {
    std::vector<std::string> lines;
    std::istringstream in(platform::ReadFile(folder_ / "record.txt").value_or(""));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  bool Recorded(const std::string& line) const {
    const auto lines = Record();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  // Waits (real time, at most `timeoutMs`) until a record line contains `part`.
  bool WaitFor(const std::string& part, int timeoutMs = 10000) const {
    return Poll(timeoutMs, [&] {
      for (const auto& l : Record())
        if (l.find(part) != std::string::npos) return true;
      return false;
    });
  }

  // A KRY.ini whose communication settings reach this simulator over LAN.
  void WriteKryIni(const std::string& path) const {
    std::ofstream(path) << "[COMM]\nName=LAN\nType=4\nPort=" << kSdkPort << "\nIPAddr=" << address_
                        << "\nTimeout=3000\n";
  }

 private:
  // Checks `done` every few milliseconds until it holds or `timeoutMs` (real time) passed.
  template <typename Done>
  static bool Poll(int timeoutMs, Done done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (; !done(); std::this_thread::sleep_for(std::chrono::milliseconds(3)))
      if (std::chrono::steady_clock::now() > end) return false;
    return true;
  }
  bool Ended() { return ::waitpid(pid_, nullptr, WNOHANG) == pid_; }

  void Start(std::vector<std::string> arguments) {
    std::vector<std::string> args = {
        VCI_SIM_PATH,           "--address", address_,           "--record",
        folder_ / "record.txt", "--sandbox", folder_ / "sandbox"};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string out = folder_ / "stdout.txt";
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    const int rc = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return void(pid_ = -1);
    bool ended = false;
    ready_ = Poll(20000, [&] { return Recorded("ready") || (ended = Ended()); }) && !ended;
    if (ended) pid_ = -1;
  }

  TempFolder folder_;
  std::string address_;
  pid_t pid_ = -1;
  bool ready_ = false;
};

}  // namespace testing_support
