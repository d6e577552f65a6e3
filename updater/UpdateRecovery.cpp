#include "updater/UpdateRecovery.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>

#include "core/ContinueLog.h"
#include "core/Log.h"
#include "platform/Files.h"
#include "updater/ProgramFolderLock.h"
#include "updater/ProgramSwap.h"

namespace updater {
namespace {

// An updater holds the folder while it moves files for well under this; one that holds it
// longer is downloading and has no journal yet, or is stuck, and the start goes on.
constexpr std::int64_t kWaitForUpdaterMs = 10000;

RecoveryResult Result(RecoveryOutcome outcome, std::string reason = "") {
  return {outcome, std::move(reason)};
}

}  // namespace

RecoveryResult RecoverInterruptedSwap(const std::string& programFolder) {
  const std::string journalPath = JournalPathOf(programFolder);
  if (!platform::FileExists(journalPath)) return Result(RecoveryOutcome::NothingToDo);
  ProgramFolderLock lock(programFolder);
  if (!lock.Lock(kWaitForUpdaterMs)) {
    LOG_WARN("An update of {0} is still running; its files are left to it.", programFolder);
    return Result(RecoveryOutcome::Busy, "an update of " + programFolder + " is still running");
  }
  if (!platform::FileExists(journalPath)) return Result(RecoveryOutcome::NothingToDo);

  ProgramSwap swap(programFolder);
  std::string reason;
  if (!swap.Resume(&reason)) {
    LOG_ERROR("Cannot take up the unfinished update: {0}.", reason);
    return Result(RecoveryOutcome::Failed, reason);
  }
  const SwapJournal& journal = swap.journal();
  const bool allIn = journal.state == SwapJournal::State::FilesIn;
  LOG_INFO("Found an unfinished update of {0} from version {1} to {2}; {3}.", programFolder,
           journal.oldVersion, journal.newVersion,
           allIn ? "every file is in, finishing it" : "undoing it");
  const bool finished = allIn && swap.Finish(&reason);
  if (!finished) {
    if (allIn) LOG_ERROR("Cannot finish the update: {0}.", reason);
    if (platform::FileExists(journalPath) && !swap.Rollback(&reason)) {
      LOG_ERROR("Cannot undo the update: {0}; every kept file stays in {1}.", reason,
                WorkFolderOf(programFolder));
      return Result(RecoveryOutcome::Failed, reason);
    }
  }
  std::error_code ignored;
  std::filesystem::remove_all(WorkFolderOf(programFolder), ignored);
  if (finished) {
    LOG_INFO("Finished the update to version {0}.", journal.newVersion);
    return Result(RecoveryOutcome::Finished);
  }
  LOG_INFO("Restored version {0}.", journal.oldVersion);
  return Result(RecoveryOutcome::RolledBack, reason);
}

void RecoverInterruptedUpdateAtStart(char** argv) {
  const std::string programFolder = platform::ProgramFolder();
  const std::string journalPath = JournalPathOf(programFolder);
  if (!platform::FileExists(journalPath)) return;
  std::string root = platform::CurrentDirectory();
  if (const auto journal = SwapJournal::Load(journalPath, nullptr)) root = journal->rootFolder;
  // The program's own log is started afresh by its start-up; this belongs with the updater's.
  core::ContinueLog(platform::JoinPath(root, "OrbUpdate.log"));

  // The running file is known by its identity: once it is renamed its path names another.
  char self[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  struct stat running {};
  const bool known = n > 0 && ::stat("/proc/self/exe", &running) == 0;
  const std::string ownPath = known ? std::string(self, static_cast<std::size_t>(n)) : "";

  RecoverInterruptedSwap(programFolder);

  struct stat now {};
  if (!known || ::stat(ownPath.c_str(), &now) != 0 ||
      (now.st_dev == running.st_dev && now.st_ino == running.st_ino))
    return;
  LOG_INFO("Starting the restored {0} in place of the replaced one.", ownPath);
  ::execv(ownPath.c_str(), argv);
  LOG_ERROR("Failed to start {0}: {1}; going on with the replaced one.", ownPath,
            std::strerror(errno));
}

}  // namespace updater
