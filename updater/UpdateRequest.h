#pragma once
// The five fields the program hands to its updater: own version, new version, address of
// the new version's package, its size in bytes and its MD5.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace updater {

struct UpdateRequest {
  std::string ownVersion;
  std::string newVersion;
  std::string url;
  std::uint64_t size = 0;
  std::string md5;     // 32 hexadecimal digits
  std::string sha256;  // 64 hexadecimal digits, or empty when update.ini gives none
};

// Reads the fields from the updater's arguments (without the program name). Nothing is
// fetched or replaced on a line the program could not have written: `reason` says why.
std::optional<UpdateRequest> ParseUpdateRequest(const std::vector<std::string>& fields,
                                                std::string* reason);

}  // namespace updater
