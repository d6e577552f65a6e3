// The module side of the DoIP system update.
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "core/Log.h"
#include "core/ProgramTexts.h"
#include "firmware/ZWSFirmwareUpdate.h"
#include "platform/Clock.h"
#include "platform/Deadline.h"
#include "platform/Environment.h"
#include "platform/Files.h"
#include "platform/Ini.h"
#include "platform/Text.h"

namespace firmware {
namespace {

constexpr char kMountCheck[] = "ps | grep mount_root | grep -v grep | wc -l";
constexpr char kReleaseCommand[] = "cat /etc/release";
constexpr char kToolPath[] = "/bin/kry-fwup";
constexpr char kToolChmod[] = "chmod 777 /bin/kry-fwup";
constexpr char kToolDigest[] = "md5sum /bin/kry-fwup";
constexpr char kImagePath[] = "/tmp/firmware.bin";
constexpr char kImageDigest[] = "md5sum /tmp/firmware.bin";
constexpr char kUpgradeStart[] = "ubus call rpc-sys upgrade_start";
constexpr char kReleaseFile[] = "kry_openwrt.ini";

constexpr int kMountPolls = 500;
// The check's nominal worst case: 500 polls of one 1000 ms read, one 1000 ms read that
// finds nothing more, and the 1000 ms pause. A module whose replies take longer reaches it
// sooner and is treated as after the last poll.
constexpr std::int64_t kMountCheckLimitMs = 500L * 3000;
constexpr int kCommandTimeoutMs = 1000;
constexpr int kReleaseTimeoutMs = 200;
constexpr int kPollPauseMs = 1000;
constexpr int kAfterImageMs = 500;
constexpr int kRebootWaitMs = 96000;
constexpr int kReconnectAttempts = 256;
constexpr int kReconnectPauseMs = 1000;
constexpr int kBeforeReleaseMs = 5000;
constexpr std::size_t kDigestLength = 32;
constexpr std::size_t kReleaseCapacity = 32;

std::int64_t Ticks() { return platform::TheClock().NowMs(); }

// The line of ubus's error form ("Command failed: ..."), or empty for any other reply.
std::string UbusError(const std::string& reply) {
  const auto at = reply.find("Command failed");
  if (at == std::string::npos) return {};
  return platform::Trim(reply.substr(at, reply.find_first_of("\r\n", at) - at));
}

// The text with its "%s" marks replaced in order.
std::string Filled(std::string text, std::initializer_list<std::string> values) {
  std::size_t from = 0;
  for (const auto& value : values) {
    const auto at = text.find("%s", from);
    if (at == std::string::npos) break;
    text.replace(at, 2, value);
    from = at + value.size();
  }
  return text;
}

}  // namespace

bool DigestsMatch(const std::string& a, const std::string& b) {
  return a.size() >= kDigestLength && b.size() >= kDigestLength &&
         platform::EqualsNoCase(std::string_view(a).substr(0, kDigestLength),
                                std::string_view(b).substr(0, kDigestLength));
}

std::string ZWSFirmwareUpdate::DigestOf(const char* output, std::uint32_t length) {
  const std::string text(output, length);
  return text.substr(0, text.find(' '));
}

FirmwareResult ZWSFirmwareUpdate::UpdateFirmware_Check(const DoIPUpdateInfo& info) {
  shownError_.clear();
  CloseChannel();
  if (!Connect(info.address, info.port)) {
    LOG_ERROR("Failed on connect device.");
    ShowError("Connect device failed！");
    return Failure(FirmwareStage::ModuleCheck);
  }
  const auto limit = platform::Deadline::After(kMountCheckLimitMs);
  for (int poll = 0; poll < kMountPolls; ++poll) {
    if (limit.Passed()) {
      LOG_WARN("mount_root still not finished after the longest wait; going on.");
      break;
    }
    std::uint32_t length = 0;
    char output[2048] = {};
    RunCommand(kMountCheck, kCommandTimeoutMs, output, sizeof output, &length);
    if (length == 0) {
      LOG_ERROR("Failed on get mount_root state.");
      return Failure(FirmwareStage::ModuleCheck);
    }
    if (output[0] == '0') {
      LOG_INFO("mount_root finished.");
      return FirmwareResult::Completed();
    }
    if (output[0] == '1') LOG_INFO("mount_root waiting...");
    platform::SleepMs(kPollPauseMs);
  }
  return FirmwareResult::Completed();
}

bool ZWSFirmwareUpdate::GetDeviceDoIPFWVersion(DoIPReleaseInfo* release) {
  std::uint32_t length = 0;
  char output[1024] = {};
  if (!RunCommand(kReleaseCommand, kReleaseTimeoutMs, output, sizeof output, &length)) {
    LOG_ERROR("failed on get device release version.");
    return false;
  }
  std::string why;
  const auto path = platform::ScratchFile(kReleaseFile, &why);
  if (!path) {
    LOG_ERROR("No scratch folder for the release file: {0}.", why);
    return false;
  }
  // Never through a link: in a shared scratch folder it could be another account's.
  if (!platform::ReplaceFileNoFollow(*path, std::string(output, length))) return false;
  const auto text = platform::ReadFileNoFollow(*path);
  if (!text) return false;
  *release = DoIPReleaseInfo{};
  const auto ini = platform::IniReader::OfText(*text);
  release->openwrt = ini.ReadString("release", "openwrt", "", kReleaseCapacity);
  release->uboot = ini.ReadString("release", "uboot", "", kReleaseCapacity);
  release->device = ini.ReadString("release", "device", "", kReleaseCapacity);
  release->checksum = ini.ReadString("checksum", "openwrt", "", kReleaseCapacity);
  return true;
}

FirmwareResult ZWSFirmwareUpdate::End(FirmwareResult result) {
  if (device_ && device_->IsConnected()) device_->Close();
  CloseChannel();
  return result;
}

FirmwareResult ZWSFirmwareUpdate::UpdateFirmware(const DoIPUpdateInfo& info) {
  shownError_.clear();
  CloseChannel();
  if (!Connect(info.address, info.port)) {
    ShowError("Connect device failed！");
    return Failure(FirmwareStage::ModuleConnect);
  }
  if (!GetDeviceDoIPFWVersion(&release_)) {
    ShowError("Get device version failed！");
    return End(Failure(FirmwareStage::ModuleConnect));
  }
  if (!PutFile(info.toolPath, kToolPath)) {
    ShowError("Trans fwup failed！");
    LOG_ERROR("Failed on trans kry-fwup file.");
    return End(Failure(FirmwareStage::UploadTool));
  }

  std::uint32_t length = 0;
  char output[2048] = {};
  RunCommand(kToolChmod, kCommandTimeoutMs, output, sizeof output, &length);
  RunCommand(kToolDigest, kCommandTimeoutMs, output, sizeof output, &length);
  const std::string toolDigest = DigestOf(output, length);
  if (toolDigest.empty()) {
    ShowError("md5sum failed！");
    return Failure(FirmwareStage::UploadTool);
  }
  LOG_INFO("MD5: {0} {1}", toolDigest, info.toolChecksum);
  if (!DigestsMatch(toolDigest, info.toolChecksum)) {
    ShowError("Checksum firmware failed！");
    return Failure(FirmwareStage::UploadTool);
  }

  LOG_INFO("Upload file begin: {0}", Ticks());
  if (!PutFile(info.imagePath, kImagePath)) {
    ShowError("Transfer firmware failed！");
    return End(Failure(FirmwareStage::UploadImage));
  }
  LOG_INFO("Upload file finished: {0}", Ticks());
  platform::SleepMs(kAfterImageMs);

  length = 0;
  std::memset(output, 0, sizeof output);
  RunCommand(kImageDigest, kCommandTimeoutMs, output, sizeof output, &length);
  const std::string imageDigest = platform::ToUpperAscii(DigestOf(output, length));
  if (imageDigest.empty()) {
    ShowError("md5sum failed！");
    return Failure(FirmwareStage::UploadImage);
  }
  LOG_INFO("Firmware MD5: {0} {1}", imageDigest, info.imageMD5);
  if (!DigestsMatch(imageDigest, info.imageMD5)) {
    ShowError("Checksum firmware failed！");
    return Failure(FirmwareStage::UploadImage);
  }

  LOG_INFO("device IP is {0}.", info.address);
  LOG_INFO("Execute upgrade command, start firware update. {0}", Ticks());
  length = 0;
  RunCommand(kUpgradeStart, kCommandTimeoutMs, output, sizeof output, &length);
  // ubus answers a refused call with its error line and starts nothing: there is no reboot
  // to wait for.
  const std::string refusal = UbusError(std::string(output, length));
  if (!refusal.empty()) {
    LOG_ERROR("The module refused the upgrade: {0}", refusal);
    ShowError(Filled(core::Text(core::TextId::kModuleRefusedUpgrade), {refusal}));
    return End(Failure(FirmwareStage::Upgrade));
  }
  platform::SleepMs(kRebootWaitMs);

  CloseChannel();
  if (device_ && device_->IsConnected()) device_->Close();
  if (!device_ || device_->Open() != 0) {
    LOG_WARN("Reconnect device failed {0}.", Ticks());
    return End(Failure(FirmwareStage::ModuleBack));
  }
  device_->ReadHWInfo();
  LOG_INFO("Wait device reboot complete {0}", Ticks());

  for (int attempt = 0; attempt < kReconnectAttempts; ++attempt) {
    LOG_INFO("try connect devcie ...");
    if (Connect(device_->ModuleAddress(), info.port)) {
      LOG_INFO("okay, update complete.");
      CloseChannel();
      break;
    }
    LOG_INFO("failed, retry. ");
    platform::SleepMs(kReconnectPauseMs);
  }
  if (!Connect(device_->ModuleAddress(), info.port)) {
    ShowError("Reconnect device failed！");
    return End(Failure(FirmwareStage::ModuleBack));
  }
  platform::SleepMs(kBeforeReleaseMs);
  if (!GetDeviceDoIPFWVersion(&release_)) {
    ShowError("Get update version failed！");
    return End(Failure(FirmwareStage::VersionCheck));
  }
  if (info.version && !ModuleRuns(*info.version)) return End(Failure(FirmwareStage::VersionCheck));
  return End(FirmwareResult::Completed());
}

bool ZWSFirmwareUpdate::ModuleRuns(const std::string& version) {
  // The identity read right after the reboot wait came before the module was back: only a
  // fresh one tells which system it runs now.
  if (device_->IsConnected()) device_->Close();
  const bool read = device_->Open() == 0 && device_->ReadHWInfo();
  const std::string running = read ? device_->ModuleVersion() : std::string();
  if (device_->IsConnected()) device_->Close();
  if (!read) {
    LOG_ERROR("The module's version cannot be read after the update.");
    ShowError(core::Text(core::TextId::kModuleVersionUnread));
    return false;
  }
  LOG_INFO("Module version after the update: {0}, expected {1}", running, version);
  if (running == version) return true;
  ShowError(Filled(core::Text(core::TextId::kModuleWrongVersion), {running, version}));
  return false;
}

}  // namespace firmware
