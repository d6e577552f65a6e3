#include "sim/vci/ModuleShell.h"

#include <algorithm>
#include <vector>

#include "net/MD5.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/Ini.h"
#include "platform/Text.h"
#include "sim/vci/FirmwareImage.h"

namespace vcisim {
namespace {

constexpr char kMountCheck[] = "ps | grep mount_root | grep -v grep | wc -l";

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  for (char c : line + " ") {
    if (c == ' ' || c == '\t') {
      if (!word.empty()) words.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  return words;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace

std::optional<std::string> SandboxPath(const std::string& sandbox, const std::string& modulePath) {
  if (modulePath.find('\0') != std::string::npos) return std::nullopt;
  std::vector<std::string> parts;
  std::string part;
  for (char c : modulePath + "/") {
    if (c != '/' && c != '\\') {
      part += c;
      continue;
    }
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    part.clear();
  }
  if (parts.empty()) return std::nullopt;
  std::string path = sandbox;
  for (const auto& p : parts) path += "/" + p;
  return path;
}

ModuleShell::ModuleShell(const Profile& profile, std::string sandbox, SimRecord& record)
    : profile_(profile), sandbox_(std::move(sandbox)), record_(record),
      mountPollsLeft_(profile.mountPolls) {
  identity_ = {profile.modulePid, profile.moduleName, profile.moduleVersion, profile.moduleDate,
               profile.ssid};
  platform::CreateFolders(sandbox_);
  WriteRelease(profile.releaseText);
}

void ModuleShell::WriteRelease(const std::string& text) {
  const std::string path = sandbox_ + "/etc/release";
  platform::CreateFolders(platform::FolderOf(path));
  platform::WriteFile(path, text);
}

ModuleIdentity ModuleShell::Identity() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return identity_;
}

bool ModuleShell::Up() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!away_) return true;
  if (forever_ || platform::TickCountMs() < backAtMs_) return false;
  away_ = false;
  mountPollsLeft_ = profile_.mountPolls;
  if (!pendingRelease_.empty()) {
    WriteRelease(pendingRelease_);
    const std::string release = sandbox_ + "/etc/release";
    std::string version = platform::ReadProfileString("module", "version", "", 64, release);
    if (version.empty()) version = platform::ReadProfileString("release", "openwrt", "", 64, release);
    identity_.version = version.substr(0, 8);
    const std::string date = platform::ReadProfileString("module", "date", "", 64, release);
    if (!date.empty()) identity_.date = date.substr(0, 8);
    pendingRelease_.clear();
  }
  record_.Add("module back: version " + identity_.version);
  return true;
}

void ModuleShell::Leave(std::int64_t ms, const std::string& why) {
  away_ = true;
  forever_ = profile_.faults.moduleNeverReturns;
  backAtMs_ = platform::TickCountMs() + ms;
  record_.Add("module leaves the network (" + why + ")" +
              (forever_ ? std::string(" for good") : " for " + std::to_string(ms) + " ms"));
}

std::string ModuleShell::Md5Sum(const std::string& path) const {
  const auto file = SandboxPath(sandbox_, path);
  const auto digest = file ? net::FileMD5Text(*file) : std::nullopt;
  if (!digest || platform::IsDirectory(*file))
    return "md5sum: can't open '" + path + "': No such file or directory\n";
  return Lower(*digest) + "  " + path + "\n";
}

std::string ModuleShell::Upgrade() {
  const auto file = SandboxPath(sandbox_, "/tmp/firmware.bin");
  const auto image = file ? platform::ReadFile(*file) : std::nullopt;
  const auto release = image ? ParseDoipImage(*image) : std::nullopt;
  if (!release) {
    record_.Add("upgrade refused: /tmp/firmware.bin is no system image");
    return "Command failed: Invalid argument\n";
  }
  pendingRelease_ = *release;
  Leave(profile_.upgradeMs, "upgrade");
  return "";
}

std::string ModuleShell::Run(const std::string& commandLine) {
  std::lock_guard<std::mutex> lock(mutex_);
  record_.Add("exec-cmd: " + commandLine);
  const std::string line = platform::Trim(commandLine);
  const auto words = Words(line);
  if (words.empty()) return "";
  if (line == kMountCheck) {
    if (profile_.faults.mountUnreadable) return "";
    if (profile_.faults.mountNeverFinishes || mountPollsLeft_ > 0) {
      if (mountPollsLeft_ > 0) --mountPollsLeft_;
      return "1\n";
    }
    return "0\n";
  }
  if (words[0] == "cat" && words.size() == 2) {
    const auto file = SandboxPath(sandbox_, words[1]);
    const auto text = file ? platform::ReadFile(*file) : std::nullopt;
    return text ? *text : "cat: can't open '" + words[1] + "': No such file or directory\n";
  }
  if (words[0] == "chmod" && words.size() == 3) {
    const auto file = SandboxPath(sandbox_, words[2]);
    if (!file || !platform::FileExists(*file))
      return "chmod: " + words[2] + ": No such file or directory\n";
    return "";
  }
  if (words[0] == "md5sum" && words.size() == 2) return Md5Sum(words[1]);
  if (words == std::vector<std::string>{"ubus", "call", "rpc-sys", "upgrade_start"}) return Upgrade();
  if (line == "reboot") {
    Leave(profile_.rebootMs, "reboot");
    return "";
  }
  return "/bin/ash: " + words[0] + ": not found\n";
}

std::unique_ptr<ReceivedFile> ModuleShell::ReceiveFile(const std::string& modulePath, std::size_t size) {
  const auto file = SandboxPath(sandbox_, modulePath);
  if (!file) record_.Add("put-file refused: no file in '" + modulePath + "'");
  return std::make_unique<ReceivedFile>(modulePath, file.value_or(""), size, profile_.faults.moduleCorrupt);
}

}  // namespace vcisim
