#include "app/StartUpCleanUp.h"

#include <filesystem>

#include "net/PartFile.h"
#include "net/ResumableDownload.h"
#include "platform/Files.h"

namespace app {

namespace {

int CleanFolder(const std::string& folder) {
  return net::RemoveLeftoverPartFiles(folder) + net::RemoveExpiredResumeFiles(folder);
}

}  // namespace

int RemoveUnfinishedDownloads(const std::string& rootFolder) {
  int removed = CleanFolder(platform::JoinPath(rootFolder, "Download"));
  std::error_code error;
  for (const auto& entry :
       std::filesystem::directory_iterator(platform::JoinPath(rootFolder, "Apps"), error)) {
    if (entry.is_directory(error) && !entry.is_symlink(error))
      removed += CleanFolder(entry.path().string());
  }
  return removed;
}

}  // namespace app
