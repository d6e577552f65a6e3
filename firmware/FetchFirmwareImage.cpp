#include "firmware/FetchFirmwareImage.h"

#include <cstdio>

#include "core/Log.h"
#include "core/ProgramTexts.h"
#include "net/ArrivingDigests.h"
#include "net/DownloadFile.h"
#include "platform/Files.h"

namespace firmware {
std::string KeptImagePath(const std::string& downloadFolder, const std::string& baseName) {
  return platform::JoinPath(downloadFolder, baseName + ".bin");
}

bool FetchFirmwareImage(const ZKRYFirmwareManager& catalogue, const FirmwareFetch& where,
                        core::Interaction& ui, std::uint32_t pid, const std::string& baseName,
                        const std::string& expectedMD5, const std::string& downloadingText) {
  const std::string image = KeptImagePath(where.downloadFolder, baseName);
  const std::string fresh = platform::JoinPath(where.downloadFolder, baseName + ".dlf");
  // A catalogue that gives a SHA-256 beside the MD5 wants both to match.
  const FirmwareEntry* entry = catalogue.FindEntry(pid);
  const std::string expectedSha256 = entry ? entry->SHA256 : std::string();
  if (where.online) {
    ui.SetStatus(downloadingText);
    net::FileDigests arrived;
    if (catalogue.DownloadFirmware(pid, fresh, &arrived)) {
      ui.SetStatus(core::Text(core::TextId::kFirmwareVerifying));
      if (!net::DigestsMatch(arrived, expectedMD5, expectedSha256)) {
        LOG_ERROR("Downloaded firmware {0} does not match its MD5.", fresh);
        platform::DeleteFile(fresh);
        ui.SetStatus(core::Text(core::TextId::kFirmwareIncorrect));
        return false;
      }
      if (std::rename(fresh.c_str(), image.c_str()) != 0) {
        LOG_ERROR("Failed to keep the firmware image {0}.", image);
        ui.SetStatus(core::Text(core::TextId::kFirmwareNotFound));
        return false;
      }
      return true;
    }
    LOG_WARN("Firmware download failed; trying the kept image {0}.", image);
  }
  if (!platform::FileExists(image)) {
    ui.SetStatus(core::Text(core::TextId::kFirmwareNotFound));
    return false;
  }
  ui.SetStatus(core::Text(core::TextId::kFirmwareVerifying));
  const auto kept = net::DigestsOfFile(image, !expectedSha256.empty());
  if (!kept || !net::DigestsMatch(*kept, expectedMD5, expectedSha256)) {
    LOG_ERROR("Kept firmware image {0} does not match the catalogue's MD5.", image);
    ui.SetStatus(core::Text(core::TextId::kFirmwareIncorrect));
    return false;
  }
  return true;
}

}  // namespace firmware
