#include "firmware/tests/FakeModule.h"

#include <algorithm>
#include <cstring>

#include "platform/Files.h"
#include "tests/support/Md5sum.h"

namespace fwtest {

bool FakeModule::Connect(const std::string& address, const std::string& port) {
  if (open_) return true;
  log.push_back("connect " + address + ":" + port);
  if (address != (rebooted ? addressAfterReboot : "127.0.0.1")) return false;
  if (rebooted && refusals_ < rebootAttempts) {
    ++refusals_;
    return false;
  }
  open_ = true;
  return true;
}

bool FakeModule::RunCommand(const std::string& command, int, char* output, std::size_t capacity,
                            std::uint32_t* outputLength) {
  log.push_back(command);
  if (!open_) return false;
  std::string out;
  if (command == "ps | grep mount_root | grep -v grep | wc -l") {
    platform::SleepMs(mountReplyMs);
    if (!mountStates.empty()) {
      out = mountStates.front();
      mountStates.pop_front();
    } else {
      out = lastMountState;
    }
  } else if (command == "cat /etc/release") {
    if (rebooted ? releaseFailsAfterReboot : releaseFails) return false;
    out = rebooted ? releaseTextAfterReboot : releaseText;
  } else if (command.rfind("md5sum ", 0) == 0) {
    const std::string path = command.substr(7);
    if (!md5sumPrintsNothing && files.count(path))
      out = testing_support::LowerHex(codec::MD5Text(files[path])) + "  " + path + "\n";
  } else if (command == "ubus call rpc-sys upgrade_start") {
    rebooted = true;
  }
  const std::size_t held = std::min<std::size_t>(*outputLength, capacity);
  const std::size_t n = std::min(out.size(), capacity - held);
  // The reply is bytes counted by `outputLength`, as the module's own channel gives them.
  std::memcpy(output + held, out.data(), n);  // NOLINT(bugprone-not-null-terminated-result)
  *outputLength = static_cast<std::uint32_t>(held + n);
  return true;
}

bool FakeModule::PutFile(const std::string& localPath, const std::string& modulePath) {
  log.push_back("put " + platform::FileNameOf(localPath) + " " + modulePath);
  if (!open_ || modulePath == failPutFileTo) return false;
  const auto content = platform::ReadFile(localPath);
  if (!content) return false;
  files[modulePath] = *content;
  return true;
}

}  // namespace fwtest
