// The identity blocks an adapter hands the SDK (information, extension, interface) and the
// voltage, decoded by the device object and the report. The address the adapter names is
// written to KRY.ini; whatever it holds, it stays one value of one key.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/ZCommSettings.h"
#include "core/ZConfig.h"
#include "device/DeviceReport.h"
#include "device/ZKRYDevice.h"
#include "platform/Files.h"

namespace {

// Input layout: open result selector, then the information, extension and interface
// blocks and the voltage, each zero-filled when the input is short.
struct Blocks {
  std::uint8_t open = 0;
  std::uint8_t info[KRY_INFO_SIZE] = {};
  std::uint8_t extension[KRY_EXINFO_SIZE] = {};
  KRY_COMM_IF commIf{};
  std::int32_t millivolts = 0;
};
Blocks g_blocks;

std::int32_t Open(std::int32_t* handle) {
  *handle = 1;
  static constexpr std::int32_t kResults[] = {KRY_OK, KRY_ERR_IN_USE, KRY_ERR_NOT_CONNECTED,
                                              KRY_OK};
  return kResults[g_blocks.open % 4];
}
std::int32_t Close(std::int32_t) { return KRY_OK; }
std::int32_t Info(std::int32_t, std::uint8_t* block) {
  std::memcpy(block, g_blocks.info, sizeof g_blocks.info);
  return g_blocks.open & 0x10 ? KRY_ERR_COMM : KRY_OK;
}
std::int32_t Extension(std::int32_t, std::uint8_t* block) {
  std::memcpy(block, g_blocks.extension, sizeof g_blocks.extension);
  return KRY_OK;
}
std::int32_t CommIf(std::int32_t, KRY_COMM_IF* commIf) {
  *commIf = g_blocks.commIf;
  return KRY_OK;
}
std::int32_t PinVol(std::int32_t, std::int32_t, std::int32_t* millivolts) {
  *millivolts = g_blocks.millivolts;
  return KRY_OK;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const struct IniFile {
    std::string path = "/dev/shm/orbfuzz-" + std::to_string(::getpid()) + "-KRY.ini";
    ~IniFile() { ::unlink(path.c_str()); }
  } ini;
  const std::string& iniPath = ini.path;
  g_blocks = Blocks();
  std::size_t used = 0;
  const auto take = [&](void* field, std::size_t width) {
    const std::size_t n = std::min(width, size - used);
    if (n > 0) std::memcpy(field, data + used, n);
    used += n;
  };
  take(&g_blocks.open, 1);
  take(g_blocks.info, sizeof g_blocks.info);
  take(g_blocks.extension, sizeof g_blocks.extension);
  take(&g_blocks.commIf, sizeof g_blocks.commIf);
  take(&g_blocks.millivolts, sizeof g_blocks.millivolts);
  platform::WriteFile(iniPath, "[COMM]\nType=4\nIPAddr=127.0.0.23\n[KRY]\nUnlock=0\n");

  device::KRYEntries sdk;
  sdk.KRY_Open = Open;
  sdk.KRY_Close = Close;
  sdk.KRY_DEV_GetInfo = Info;
  sdk.KRY_DEV_SynExInfo = Extension;
  sdk.KRY_GetCommIf = CommIf;
  sdk.KRY_DEV_GetPinVol = PinVol;
  core::ZConfig config;
  config.deviceModels.push_back({"Pro", "", "K", "#", "#", "pro.png", true});
  core::ZCommSettings comm(iniPath);
  comm.Load();
  device::ReportContext context{
      config, comm, [](std::uint32_t, const std::string&) { return false; }, "/proc/orbfuzz/skin"};
  device::ZKRYDevice adapter(sdk);
  device::DeviceReport report;
  device::UpdateDeviceInfo(adapter, context, report);
  if (adapter.connected()) __builtin_trap();  // the report closes the adapter
  if (adapter.serialNumber().size() > 10) __builtin_trap();
  (void)adapter.module();
  (void)adapter.HasDoIPModule();

  core::ZCommSettings reread(iniPath);
  reread.Load();
  // No address can add or change another key of the file.
  if (reread.current().Type != comm.current().Type || reread.current().Unlock != 0)
    __builtin_trap();
  return 0;
}
