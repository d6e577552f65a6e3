#pragma once
// The DoIP module's system as far as the program can see it: a shell that knows exactly
// the commands the program sends, a file system kept in a sandbox folder, and the module's
// comings and goings (boot with its mount phase, reboot, system upgrade).
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "sim/vci/ReceivedFile.h"
#include "sim/vci/SimRecord.h"
#include "sim/vci/VciProfile.h"

namespace vcisim {

struct ModuleIdentity {
  std::uint32_t pid = 0;
  std::string name, version, date, ssid;
};

// The sandbox file for a module path: "." and ".." are resolved inside the sandbox, so no
// path leads out of it. None for a path that names no file ("/", "", "..").
std::optional<std::string> SandboxPath(const std::string& sandbox, const std::string& modulePath);

class ModuleShell {
 public:
  ModuleShell(const Profile& profile, std::string sandbox, SimRecord& record);

  ModuleIdentity Identity() const;
  // Whether the module is on the network now (it comes back by itself after its time away).
  bool Up();
  // Runs one command line; returns its output, empty for commands that print nothing.
  std::string Run(const std::string& commandLine);
  // A file announced by put-file; its pieces go straight into the sandbox.
  std::unique_ptr<ReceivedFile> ReceiveFile(const std::string& modulePath, std::size_t size);

  const std::string& sandbox() const { return sandbox_; }

 private:
  void Leave(std::int64_t ms, const std::string& why);
  std::string Md5Sum(const std::string& path) const;
  std::string Upgrade();
  void WriteRelease(const std::string& text);
  std::string Uci(const std::vector<std::string>& words);
  void SaveNetworkConfig() const;

  const Profile profile_;
  const std::string sandbox_;
  SimRecord& record_;

  mutable std::mutex mutex_;
  ModuleIdentity identity_;
  bool away_ = false;
  bool forever_ = false;
  std::int64_t backAtMs_ = 0;
  int mountPollsLeft_;
  std::string pendingRelease_;  // the release the module runs after its upgrade
  // The "network" configuration as `uci show` prints it, and changes set but not committed.
  std::vector<std::pair<std::string, std::string>> network_, staged_;
};

}  // namespace vcisim
