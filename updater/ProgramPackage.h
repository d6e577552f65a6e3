#pragma once
// A new version's package: a tar archive (any compression tar recognises) holding the
// program's files as they lie in the program folder, with the program itself at the top.
#include <string>

namespace updater {

// Unpacks `archive` into the empty folder `folder` with the system's tar.
bool UnpackPackage(const std::string& archive, const std::string& folder, std::string* reason);

// A package is installed only when `program` is an executable file at its top and no link
// in it points outside it (tar already refuses names with "..").
bool CheckUnpackedPackage(const std::string& folder, const std::string& program,
                          std::string* reason);

}  // namespace updater
