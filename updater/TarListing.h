#pragma once
// What a tar archive holds, as the system's tar lists it, read before anything is unpacked.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace updater {

struct TarMember {
  char type = '?';         // as tar's long listing shows it: '-' file, 'd' folder, 'l' link, ...
  std::string name;        // non-printable characters escaped with backslashes, as tar shows them
  std::uint64_t size = 0;  // bytes it unpacks to, for files
};

// Lists `archive` (any compression tar recognises). An archive tar cannot read, or one with
// more than `maxMembers` members, gives nothing, with `reason` saying why.
std::optional<std::vector<TarMember>> ListTarArchive(const std::string& archive,
                                                     std::size_t maxMembers, std::string* reason);

}  // namespace updater
