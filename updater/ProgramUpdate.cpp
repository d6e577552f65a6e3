#include "updater/ProgramUpdate.h"

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include "core/Log.h"
#include "net/ArrivingDigests.h"
#include "net/DownloadFile.h"
#include "platform/Files.h"
#include "platform/Processes.h"
#include "updater/ProgramFolderLock.h"
#include "updater/ProgramPackage.h"
#include "updater/ProgramSwap.h"

namespace fs = std::filesystem;

namespace updater {
namespace {

std::uint64_t BytesBelow(const std::string& folder) {
  std::uint64_t total = 0;
  std::error_code ec;
  for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::end(it); it.increment(ec)) {
    std::error_code sizeError;
    const auto size = it->file_size(sizeError);
    if (!sizeError) total += size;
  }
  return total;
}

// Reports the bytes of the arriving package until stopped.
class DownloadWatch {
 public:
  DownloadWatch(std::string folder, std::uint64_t total, const UpdateProgress& progress)
      : thread_([this, folder = std::move(folder), total, &progress] {
          std::unique_lock<std::mutex> lock(mutex_);
          while (!stop_) {
            lock.unlock();
            if (progress) progress(UpdateStage::Downloading, BytesBelow(folder), total);
            lock.lock();
            wake_.wait_for(lock, std::chrono::milliseconds(100), [this] { return stop_; });
          }
        }) {}
  ~DownloadWatch() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }

 private:
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::thread thread_;
};

// Removes what an earlier update left, and the folder itself however this one ends; never
// while a journal still needs the files kept there.
struct ScratchWorkFolder {
  explicit ScratchWorkFolder(std::string programFolder) : program(std::move(programFolder)) {
    Remove();
  }
  ~ScratchWorkFolder() { Remove(); }
  void Remove() const {
    if (platform::FileExists(JournalPathOf(program))) return;
    std::error_code ignored;
    fs::remove_all(WorkFolderOf(program), ignored);
  }
  std::string program;
};

UpdateOutcome Failed(std::string reason) {
  LOG_ERROR("The update failed: {0}.", reason);
  return {false, std::move(reason)};
}

}  // namespace

std::string WorkFolder(const UpdatePlaces& places) { return WorkFolderOf(places.programFolder); }

bool InstallStagedFiles(const UpdatePlaces& places, const std::string& newVersion,
                        std::string* reason) {
  ProgramSwap swap(places.programFolder);
  return swap.Apply(places.rootFolder, RecordedVersion(places.rootFolder), newVersion, reason) &&
         swap.Finish(reason);
}

UpdateOutcome RunUpdate(const UpdateRequest& request, const UpdatePlaces& places,
                        const UpdateProgress& progress) {
  const auto report = [&](UpdateStage stage, std::uint64_t done = 0, std::uint64_t total = 0) {
    if (progress) progress(stage, done, total);
  };
  LOG_INFO("Update {0} from {1} to {2}.", places.programFolder, request.ownVersion,
           request.newVersion);
  ProgramFolderLock lock(places.programFolder);
  if (!lock.TryLock()) return Failed("another update of " + places.programFolder + " is running");
  if (platform::FileExists(JournalPathOf(places.programFolder)))
    return Failed("an unfinished update still needs the files kept in " + WorkFolder(places));
  const ScratchWorkFolder cleanUp{places.programFolder};
  const std::string downloads = platform::JoinPath(WorkFolder(places), "download");
  const std::string staged = StagedFolderOf(places.programFolder);
  if (!platform::CreateFolders(downloads) || !platform::CreateFolder(staged))
    return Failed("cannot write in the program folder " + places.programFolder);

  const std::string package = platform::JoinPath(downloads, "package");
  // Reported here too: a package that arrives before the watch's first look would
  // otherwise never show its download at all.
  report(UpdateStage::Downloading, 0, request.size);
  {
    DownloadWatch watch(downloads, request.size, progress);
    const net::TransferResult fetched = net::DownloadFileTo(
        request.url, package,
        net::AnnouncedSizeTransfer(static_cast<long long>(request.size), places.caBundle));
    if (!fetched.ok) return Failed("cannot download " + request.url + ": " + fetched.reason);
  }
  report(UpdateStage::Checking, request.size, request.size);
  const auto size = platform::FileSize(package);
  if (!size || *size != request.size)
    return Failed("the package has " + std::to_string(size.value_or(0)) + " bytes, not " +
                  std::to_string(request.size));
  if (!net::CheckFileMD5(package, request.md5))
    return Failed("the package's MD5 is not " + request.md5);
  if (!request.sha256.empty()) {
    const auto digests = net::DigestsOfFile(package, true);
    if (!digests || !net::DigestsMatch(*digests, request.md5, request.sha256))
      return Failed("the package's SHA-256 is not " + request.sha256);
  }

  report(UpdateStage::Unpacking);
  std::string reason;
  if (!UnpackPackage(package, staged, &reason) ||
      !CheckUnpackedPackage(staged, places.programName, &reason))
    return Failed(reason);

  report(UpdateStage::Replacing);
  if (!InstallStagedFiles(places, request.newVersion, &reason)) return Failed(reason);
  LOG_INFO("Updated to version {0}.", request.newVersion);
  report(UpdateStage::Finished);
  return {true, ""};
}

bool StartInstalledProgram(const UpdatePlaces& places) {
  platform::StartRequest start;
  start.program = platform::JoinPath(places.programFolder, places.programName);
  start.workingFolder = places.rootFolder;
  const bool started = platform::StartProgram(start).valid();
  if (started)
    LOG_INFO("Started {0}.", start.program);
  else
    LOG_ERROR("Failed to start {0}.", start.program);
  return started;
}

}  // namespace updater
