#include "sim/vci/ModuleShell.h"

#include <algorithm>
#include <vector>

#include "codec/MD5.h"
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

// The module's LAN as it leaves the factory.
const std::vector<std::pair<std::string, std::string>> kFactoryNetwork = {
    {"network.loopback", "interface"},
    {"network.loopback.ifname", "lo"},
    {"network.loopback.proto", "static"},
    {"network.loopback.ipaddr", "127.0.0.1"},
    {"network.loopback.netmask", "255.0.0.0"},
    {"network.lan", "interface"},
    {"network.lan.ifname", "eth0"},
    {"network.lan.proto", "static"},
    {"network.lan.ipaddr", "192.168.8.1"},
    {"network.lan.netmask", "255.255.255.0"}};

void SetEntry(std::vector<std::pair<std::string, std::string>>& entries, const std::string& key,
              const std::string& value) {
  for (auto& e : entries)
    if (e.first == key) {
      e.second = value;
      return;
    }
  entries.emplace_back(key, value);
}

// uci's quoting of a value: 'text', with a quote inside written as '\''.
std::string Quoted(const std::string& value) {
  std::string out = "'";
  for (char c : value) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string Unquoted(std::string value) {
  if (value.size() >= 2 && (value.front() == '\'' || value.front() == '"') &&
      value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return value;
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
    : profile_(profile),
      sandbox_(std::move(sandbox)),
      record_(record),
      mountPollsLeft_(profile.mountPolls),
      network_(kFactoryNetwork) {
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
    if (version.empty())
      version = platform::ReadProfileString("release", "openwrt", "", 64, release);
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
  const auto digest = file ? codec::FileMD5Text(*file) : std::nullopt;
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
  if (profile_.faults.upgradeRefused) {
    record_.Add("upgrade refused (fault switch)");
    return "Command failed: Permission denied\n";
  }
  if (!profile_.faults.comesBackOld) pendingRelease_ = *release;
  Leave(profile_.upgradeMs,
        profile_.faults.comesBackOld ? "upgrade, back with the old system" : "upgrade");
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
  if (words[0] == "uci") return Uci(words);
  if (line == "/etc/init.d/network restart") {
    record_.Add("network restarted");
    return "";
  }
  if (words == std::vector<std::string>{"ubus", "call", "rpc-sys", "upgrade_start"})
    return Upgrade();
  if (line == "reboot") {
    Leave(profile_.rebootMs, "reboot");
    return "";
  }
  return "/bin/ash: " + words[0] + ": not found\n";
}

// The part of uci the module's network settings need: show, get, set, delete and commit of the
// "network" configuration. Values are taken as given, as uci itself does.
std::string ModuleShell::Uci(const std::vector<std::string>& words) {
  const std::string verb = words.size() > 1 ? words[1] : "";
  const std::string arg = words.size() > 2 ? words[2] : "";
  const auto inNetwork = [](const std::string& key) {
    return key == "network" || key.rfind("network.", 0) == 0;
  };
  auto current = network_;
  for (const auto& [key, value] : staged_) SetEntry(current, key, value);
  if (verb == "show" && words.size() <= 3) {
    if (!arg.empty() && !inNetwork(arg)) return "uci: Entry not found\n";
    std::string out;
    for (const auto& [key, value] : current)
      if (!value.empty() && (arg.empty() || key == arg || key.rfind(arg + ".", 0) == 0))
        out += key + "=" + (std::count(key.begin(), key.end(), '.') == 1 ? value : Quoted(value)) +
               "\n";
    return out.empty() ? "uci: Entry not found\n" : out;
  }
  if (verb == "get" && words.size() == 3) {
    for (const auto& [key, value] : current)
      if (key == arg && !value.empty()) return value + "\n";
    return "uci: Entry not found\n";
  }
  if (verb == "set" && words.size() == 3) {
    const auto eq = arg.find('=');
    const std::string key = arg.substr(0, eq);
    if (eq == std::string::npos || !inNetwork(key) || std::count(key.begin(), key.end(), '.') != 2)
      return "uci: Invalid argument\n";
    SetEntry(staged_, key, Unquoted(arg.substr(eq + 1)));
    return "";
  }
  if (verb == "delete" && words.size() == 3 && inNetwork(arg) &&
      std::count(arg.begin(), arg.end(), '.') == 2) {
    SetEntry(staged_, arg, "");  // an empty value is dropped at the commit
    return "";
  }
  if (verb == "commit" && words.size() <= 3 && (arg.empty() || arg == "network")) {
    network_.clear();
    for (const auto& entry : current)
      if (!entry.second.empty()) network_.push_back(entry);
    staged_.clear();
    SaveNetworkConfig();
    record_.Add("uci commit network");
    return "";
  }
  return "uci: Invalid argument\n";
}

// /etc/config/network in the sandbox, as `uci show` prints it, for anyone who looks.
void ModuleShell::SaveNetworkConfig() const {
  std::string text;
  for (const auto& [key, value] : network_) text += key + "=" + value + "\n";
  const std::string path = sandbox_ + "/etc/config/network";
  platform::CreateFolders(platform::FolderOf(path));
  platform::WriteFile(path, text);
}

std::unique_ptr<ReceivedFile> ModuleShell::ReceiveFile(const std::string& modulePath,
                                                       std::size_t size) {
  const auto file = SandboxPath(sandbox_, modulePath);
  if (!file) record_.Add("put-file refused: no file in '" + modulePath + "'");
  return std::make_unique<ReceivedFile>(modulePath, file.value_or(""), size,
                                        profile_.faults.moduleCorrupt);
}

}  // namespace vcisim
