#include "app/StartUpCleanUp.h"

#include <filesystem>

#include "net/PartFile.h"
#include "platform/Files.h"

namespace app {

int RemoveUnfinishedDownloads(const std::string& rootFolder) {
  int removed = net::RemoveLeftoverPartFiles(platform::JoinPath(rootFolder, "Download"));
  std::error_code error;
  for (const auto& entry :
       std::filesystem::directory_iterator(platform::JoinPath(rootFolder, "Apps"), error)) {
    if (entry.is_directory(error) && !entry.is_symlink(error))
      removed += net::RemoveLeftoverPartFiles(entry.path().string());
  }
  return removed;
}

}  // namespace app
