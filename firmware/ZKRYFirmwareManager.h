#pragma once
// The firmware catalogue: the images the server offers, in file order. Filled once at
// start-up, then only read.
#include <cstdint>
#include <string>
#include <vector>

#include "firmware/FirmwareEntry.h"
#include "net/ArrivingDigests.h"

namespace firmware {

class ZKRYFirmwareManager {
 public:
  virtual ~ZKRYFirmwareManager() = default;

  // Appends one entry per ITEM of the file; false when it cannot be read or parsed or has
  // no root element (no ITEM at all is fine).
  virtual bool Load(const std::string& path);

  // The first entry in file order that lists `pid`, or none.
  const FirmwareEntry* FindEntry(std::uint32_t pid) const;
  // The new-firmware rule: true only when the first entry listing `pid` has exactly this
  // version text. False means new firmware is available.
  bool IsLatestVersion(std::uint32_t pid, const std::string& version) const;
  // Downloads the entry's image for `pid` to `path`; false when there is no entry.
  // Downloads the PID's image to `path`, resuming an earlier cut transfer; `arrived` gets the
  // digests computed on the way.
  bool DownloadFirmware(std::uint32_t pid, const std::string& path,
                        net::FileDigests* arrived = nullptr) const;

  const std::vector<FirmwareEntry>& entries() const { return entries_; }

 private:
  std::vector<FirmwareEntry> entries_;
};

}  // namespace firmware
