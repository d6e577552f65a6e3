#include "sim/vci/VciAdapter.h"

#include <cstdio>
#include <cstring>

#include "platform/Clock.h"
#include "sdk/KRY.h"
#include "sdk/KRYLink.h"
#include "sim/vci/ModuleShell.h"

namespace vcisim {
namespace {

constexpr std::int32_t kLowVoltageMv = 7200;

void PutText(std::string& block, std::size_t offset, const std::string& text, std::size_t width) {
  std::memcpy(&block[offset], text.data(), std::min(text.size(), width));
}

std::string VersionText(const std::array<std::uint8_t, 4>& v) {
  char text[32];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", v[0], v[1], v[2], v[3]);
  return text;
}

}  // namespace

VciAdapter::VciAdapter(const Profile& profile, std::string address, int sdkPort, SimRecord& record,
                       ModuleShell* module)
    : profile_(profile),
      address_(std::move(address)),
      sdkPort_(sdkPort),
      record_(record),
      module_(module),
      startMs_(platform::TickCountMs()),
      bootMode_(profile.bootMode || profile.faults.bootMode) {}

bool VciAdapter::bootMode() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return bootMode_;
}

std::string VciAdapter::InfoBlock() const {
  std::string b(KRY_INFO_SIZE, '\0');
  b[12] = static_cast<char>(profile_.pid & 0xFF);
  b[13] = static_cast<char>(profile_.pid >> 8);
  PutText(b, 16, profile_.serialChars, 5);
  b[21] = static_cast<char>(profile_.serialNumber >> 8);
  b[22] = static_cast<char>(profile_.serialNumber & 0xFF);
  PutText(b, 28, bootMode_ ? std::string("VCI-BOOT") : profile_.hardwareName, 8);
  PutText(b, 44, profile_.firmware.name, 8);
  for (int i = 0; i < 4; ++i) b[55 - i] = static_cast<char>(profile_.firmware.version[i]);
  b[57] = static_cast<char>(profile_.firmware.day);
  b[58] = static_cast<char>(profile_.firmware.month);
  b[59] = static_cast<char>(profile_.firmware.year - 1970);
  return b;
}

std::string VciAdapter::ExInfoBlock() const {
  std::string b(KRY_EXINFO_SIZE, '\0');
  // The boot loader does not talk to the module.
  if (!module_ || bootMode_) return b;
  const ModuleIdentity id = module_->Identity();
  for (int i = 0; i < 4; ++i) b[4 + i] = static_cast<char>((id.pid >> (8 * i)) & 0xFF);
  PutText(b, 8, id.name, 8);
  PutText(b, 16, id.version, 8);
  PutText(b, 24, id.date, 8);
  PutText(b, 32, id.ssid, 16);
  return b;
}

std::string VciAdapter::CommIfBlock() const {
  std::string b;
  const int type = profile_.interfaceType;
  const bool network = type >= 3 && type <= 8;
  const int port = profile_.interfacePort >= 0 ? profile_.interfacePort : (network ? sdkPort_ : 0);
  kry_link::PutU32(b, static_cast<std::uint32_t>(type));
  kry_link::PutU32(b, static_cast<std::uint32_t>(port));
  kry_link::PutU32(b, static_cast<std::uint32_t>(profile_.datarate));
  std::string address(KRY_ADDRESS_SIZE, '\0');
  PutText(address, 0, profile_.addressGiven ? profile_.interfaceAddress : address_,
          KRY_ADDRESS_SIZE - 1);
  return b + address;
}

std::int32_t VciAdapter::Handle(int link, std::uint8_t opcode, const std::string& payload,
                                std::string& reply) {
  reply.clear();
  std::unique_lock<std::mutex> lock(mutex_);
  if (opcode == kry_link::kOpen) {
    if (profile_.faults.held || (holder_ != 0 && holder_ != link)) {
      record_.Add("open refused: in use");
      return KRY_ERR_IN_USE;
    }
    holder_ = link;
    record_.Add("open");
    return KRY_OK;
  }
  if (holder_ != link) return KRY_ERR_IN_USE;
  switch (opcode) {
    case kry_link::kClose:
      holder_ = 0;
      record_.Add("close");
      return KRY_OK;
    case kry_link::kGetInfo:
      reply = InfoBlock();
      return KRY_OK;
    case kry_link::kSynExInfo:
      reply = ExInfoBlock();
      return KRY_OK;
    case kry_link::kGetCommIf:
      reply = CommIfBlock();
      return KRY_OK;
    case kry_link::kGetPinVol: {
      if (payload.size() != 4) return KRY_ERR_BAD_ARGUMENT;
      const std::uint32_t pin = kry_link::GetU32(payload.data());
      if (profile_.faults.voltageUnreadable) return KRY_ERR_COMM;
      const std::int32_t mv = pin != 16                    ? 0
                              : profile_.faults.lowVoltage ? kLowVoltageMv
                                                           : profile_.voltageMv;
      kry_link::PutU32(reply, static_cast<std::uint32_t>(mv));
      return KRY_OK;
    }
    case kry_link::kSetLed:
      if (payload.size() != 4) return KRY_ERR_BAD_ARGUMENT;
      record_.Add("led " + std::to_string(static_cast<unsigned char>(payload[0])) + " " +
                  std::to_string(static_cast<unsigned char>(payload[1])) + " " +
                  std::to_string(static_cast<unsigned char>(payload[2])) + " " +
                  std::to_string(static_cast<unsigned char>(payload[3])));
      return KRY_OK;
    case kry_link::kSetBeep:
      if (payload.size() != 2) return KRY_ERR_BAD_ARGUMENT;
      record_.Add("beep " + std::to_string(static_cast<unsigned char>(payload[0])) + " " +
                  std::to_string(static_cast<unsigned char>(payload[1])));
      return KRY_OK;
    case kry_link::kReset:
      record_.Add("reset");
      return KRY_OK;
    case kry_link::kEcho:
      return KRY_OK;
    case kry_link::kGetTime:
      kry_link::PutU32(reply,
                       static_cast<std::uint32_t>((platform::TickCountMs() - startMs_) / 1000));
      return KRY_OK;
    case kry_link::kFirmwareBegin:
    case kry_link::kFirmwareData:
    case kry_link::kFirmwareEnd: {
      const std::int32_t r = FirmwareRequest(opcode, payload);
      if (r == KRY_OK && opcode == kry_link::kFirmwareData && expectedSize_ > 0) {
        // Flashing takes time; the lock is not held meanwhile.
        const std::int64_t ms = profile_.firmwareWriteMs *
                                static_cast<std::int64_t>(payload.size()) /
                                static_cast<std::int64_t>(expectedSize_);
        lock.unlock();
        platform::SleepMs(ms);
      }
      return r;
    }
    default:
      return KRY_ERR_NOT_SUPPORTED;
  }
}

std::int32_t VciAdapter::FirmwareRequest(std::uint8_t opcode, const std::string& payload) {
  if (opcode == kry_link::kFirmwareBegin) {
    if (payload.size() != 4) return KRY_ERR_BAD_ARGUMENT;
    expectedSize_ = kry_link::GetU32(payload.data());
    image_.clear();
    writing_ = true;
    bootMode_ = true;
    record_.Add("firmware write begins: " + std::to_string(expectedSize_) + " bytes");
    return KRY_OK;
  }
  if (!writing_) return KRY_ERR_FIRMWARE;
  if (opcode == kry_link::kFirmwareData) {
    image_ += payload;
    if (image_.size() > expectedSize_) {
      writing_ = false;
      record_.Add("firmware write failed: more bytes than announced");
      return KRY_ERR_FIRMWARE;
    }
    if (profile_.faults.firmwareFailHalfway && image_.size() * 2 >= expectedSize_) {
      writing_ = false;
      record_.Add("firmware write failed halfway");
      return KRY_ERR_FIRMWARE;
    }
    return KRY_OK;
  }
  writing_ = false;
  const auto firmware = image_.size() == expectedSize_ ? ParseVciImage(image_) : std::nullopt;
  image_.clear();
  if (!firmware) {
    record_.Add("firmware rejected: broken image");
    return KRY_ERR_FIRMWARE;
  }
  profile_.firmware = *firmware;
  bootMode_ = false;
  char date[16];
  std::snprintf(date, sizeof date, "%d-%02d-%02d", firmware->year, firmware->month, firmware->day);
  record_.Add("firmware written: " + firmware->name + " " + VersionText(firmware->version) + " " +
              date);
  return KRY_OK;
}

void VciAdapter::LinkClosed(int link) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (holder_ != link) return;
  holder_ = 0;
  if (writing_) {
    writing_ = false;
    image_.clear();
    record_.Add("firmware write interrupted: link lost");
  }
  record_.Add("holder left");
}

}  // namespace vcisim
