#include "firmware/DoIPUpdateInfo.h"

#include "core/ZConfig.h"
#include "platform/Text.h"

namespace firmware {

DoIPUpdateInfo DoIPUpdateInfo::Make(const std::string& address, const std::string& imageMD5,
                                    const std::string& imagePath) {
  const auto& config = core::ZConfig::Instance();
  DoIPUpdateInfo info;
  info.address = address.substr(0, 31);
  info.port = kModulePort;
  info.imageMD5 = imageMD5.substr(0, 63);
  info.imagePath = platform::CutToCapacity(imagePath, 256);
  info.toolPath = platform::CutToCapacity(config.KRYFwUp, 256);  // already under the root
  info.toolChecksum = config.KRYFwUpCheckSum.substr(0, 63);
  return info;
}

}  // namespace firmware
