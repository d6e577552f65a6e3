#pragma once
// Start-up clean-up of what interrupted downloads left behind in the root folder.
#include <string>

namespace app {

// Removes the part files of downloads whose process ended (in Download/ and in each
// application folder under Apps/); a transfer still running in another process keeps its
// file locked and is left alone. Returns how many files went.
int RemoveUnfinishedDownloads(const std::string& rootFolder);

}  // namespace app
