#include "tools/ToolStart.h"

#include "core/Log.h"
#include "core/ZConfig.h"
#include "device/ZKRYSdk.h"
#include "platform/Files.h"

namespace tools {

bool StartTool(const std::string& name, core::Interaction& ui, std::string* error) {
  core::SetUpLog(platform::JoinPath(platform::CurrentDirectory(), name + ".log"));
  LOG_INFO("{0} starts in {1}", name, platform::CurrentDirectory());
  core::ZConfig::Instance().Load();
  if (!device::ZKRYSdk::Instance().Load(ui)) {
    *error = "The device SDK (KRY.dll) cannot be loaded.";
    LOG_ERROR("Load SDK dll failed.");
    return false;
  }
  return true;
}

}  // namespace tools
