#pragma once
// The image step shared by the VCI and the DoIP system updates: download the catalogue's
// image and verify it, or fall back to the image kept from the last successful fetch.
#include <cstdint>
#include <string>

#include "core/Interaction.h"
#include "firmware/ZKRYFirmwareManager.h"

namespace firmware {

struct FirmwareFetch {
  std::string downloadFolder;  // holds <base name>.bin (kept) and <base name>.dlf (fresh)
  bool online = false;         // not configured offline and the server answered at start-up
};

// <download folder>/<base name>.bin: where the image to install is after a fetch.
std::string KeptImagePath(const std::string& downloadFolder, const std::string& baseName);

// Status texts go to `ui`. Succeeds when the kept image holds a verified image for `pid`:
// a fresh download must match `expectedMD5`, and so must a kept image, since it may belong
// to another adapter model.
bool FetchFirmwareImage(const ZKRYFirmwareManager& catalogue, const FirmwareFetch& where,
                        core::Interaction& ui, std::uint32_t pid, const std::string& baseName,
                        const std::string& expectedMD5, const std::string& downloadingText);

}  // namespace firmware
