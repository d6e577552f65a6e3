#pragma once
// A new version's package: a tar archive (any compression tar recognises) holding the
// program's files as they lie in the program folder, with the program itself at the top.
#include <cstdint>
#include <string>

namespace updater {

// Far above any version of the program, far below a disk filled by a small archive.
constexpr std::uint64_t kMaxUnpackedBytes = std::uint64_t{1} << 30;

// Unpacks `archive` into the empty folder `folder` with the system's tar. Refused before
// anything is unpacked: a member that is not a plain file or folder (links, devices, FIFOs),
// an absolute name or one that climbs with "..", and files that add up to more than
// kMaxUnpackedBytes. The files belong to whoever runs the update and lose set-id and sticky
// bits, whatever the archive says.
bool UnpackPackage(const std::string& archive, const std::string& folder, std::string* reason);

// A package is installed only when `program` is an executable file at its top.
bool CheckUnpackedPackage(const std::string& folder, const std::string& program,
                          std::string* reason);

}  // namespace updater
