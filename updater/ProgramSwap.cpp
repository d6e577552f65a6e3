#include "updater/ProgramSwap.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/Files.h"
#include "platform/Ini.h"

namespace fs = std::filesystem;

namespace updater {
namespace {

using Kind = SwapJournal::Kind;

bool Fail(std::string* reason, std::string why) {
  if (reason) *reason = std::move(why);
  return false;
}

bool Exists(const fs::path& p) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(p, ec));
}

bool IsRealDirectory(const fs::path& p) {
  std::error_code ec;
  return fs::is_directory(fs::symlink_status(p, ec));
}

bool SameFile(const fs::path& a, const fs::path& b) {
  struct stat sa {};
  struct stat sb {};
  return ::lstat(a.c_str(), &sa) == 0 && ::lstat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

bool Rename(const fs::path& from, const fs::path& to, std::string* reason) {
  std::error_code ec;
  fs::create_directories(to.parent_path(), ec);
  if (!ec) fs::rename(from, to, ec);
  if (ec)
    return Fail(reason,
                "cannot move " + from.string() + " to " + to.string() + ": " + ec.message());
  return true;
}

// The old file is kept aside by a second name first, so the installed name never goes
// missing, even for a moment; a file system without hard links gets a plain rename.
bool KeepAside(const fs::path& installed, const fs::path& kept, std::string* reason) {
  std::error_code ec;
  fs::create_directories(kept.parent_path(), ec);
  if (!ec && ::linkat(AT_FDCWD, installed.c_str(), AT_FDCWD, kept.c_str(), 0) == 0) return true;
  return Rename(installed, kept, reason);
}

// The moves below look at what is on disk, not at what was done in this process, so the
// same step can be repeated after a kill at any point.
struct SwapPaths {
  fs::path staged, installed, kept;
};

bool MoveIn(const SwapJournal::Entry& entry, const SwapPaths& p, std::string* reason) {
  if (entry.kind == Kind::Folder) {
    std::error_code ec;
    if (IsRealDirectory(p.installed) || (fs::create_directory(p.installed, ec) && !ec)) return true;
    return Fail(reason, "cannot make the folder " + p.installed.string());
  }
  if (!Exists(p.staged)) return true;  // moved in already
  if (entry.kind == Kind::Replaced && !Exists(p.kept) && Exists(p.installed) &&
      !KeepAside(p.installed, p.kept, reason))
    return false;
  return Rename(p.staged, p.installed, reason);
}

bool MoveBack(const SwapJournal::Entry& entry, const SwapPaths& p, std::string* reason) {
  std::error_code ec;
  if (entry.kind == Kind::Folder) {
    fs::remove(p.installed, ec);  // only when empty: never takes what was put there since
    return true;
  }
  // A staged file leaves the package only to be installed, so without it the installed one is
  // new: it goes back where it came from, and a retry finds the package whole.
  if (!Exists(p.staged) && Exists(p.installed) && !SameFile(p.installed, p.kept) &&
      !Rename(p.installed, p.staged, reason))
    return false;
  if (entry.kind != Kind::Replaced || !Exists(p.kept)) return true;
  if (SameFile(p.installed, p.kept)) {
    fs::remove(p.kept, ec);  // set aside by a link, never replaced
    return !ec || Fail(reason, "cannot remove " + p.kept.string() + ": " + ec.message());
  }
  return Rename(p.kept, p.installed, reason);
}

// Everything moved so far reaches the disk before the journal says it has.
void SyncFileSystem(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::syncfs(fd);
  ::close(fd);
}

// Test-only: ORB_TEST_KILL_UPDATE_AT ("move N", "version" or "commit") ends the process
// there as a power cut would, so tests can show what the next start makes of it.
void KillPointForTests(const std::string& point) {
  const char* wanted = std::getenv("ORB_TEST_KILL_UPDATE_AT");
  if (wanted && point == wanted) ::kill(::getpid(), SIGKILL);
}

std::string ConfigPathOf(const std::string& rootFolder) {
  return platform::JoinPath(rootFolder, "Config/KavoraC.ini");
}

bool Plan(const fs::path& staged, const fs::path& program, std::vector<SwapJournal::Entry>* entries,
          std::string* reason) {
  std::error_code ec;
  std::vector<fs::path> found;
  for (auto it = fs::recursive_directory_iterator(staged, ec); !ec && it != fs::end(it);
       it.increment(ec))
    found.push_back(it->path());
  if (ec)
    return Fail(reason,
                "cannot read the unpacked package " + staged.string() + ": " + ec.message());
  std::sort(found.begin(), found.end());  // folders before what they hold
  for (const fs::path& from : found) {
    const fs::path relative = from.lexically_relative(staged);
    const fs::path to = program / relative;
    if (IsRealDirectory(from)) {
      if (IsRealDirectory(to)) continue;
      if (Exists(to))
        return Fail(reason, to.string() + " is a file, the package has a folder there");
      entries->push_back({Kind::Folder, relative.string()});
    } else if (IsRealDirectory(to)) {
      return Fail(reason, to.string() + " is a folder, the package has a file there");
    } else {
      entries->push_back({Exists(to) ? Kind::Replaced : Kind::Added, relative.string()});
    }
  }
  return true;
}

}  // namespace

std::string WorkFolderOf(const std::string& programFolder) {
  return platform::JoinPath(programFolder, ".OrbUpdate");
}

std::string StagedFolderOf(const std::string& programFolder) {
  return platform::JoinPath(WorkFolderOf(programFolder), "new");
}

std::string JournalPathOf(const std::string& programFolder) {
  return platform::JoinPath(WorkFolderOf(programFolder), "journal");
}

std::string RecordedVersion(const std::string& rootFolder) {
  return platform::ReadProfileString("CONFIG", "ManagerVersion", "", 260, ConfigPathOf(rootFolder));
}

ProgramSwap::ProgramSwap(std::string programFolder) : program_(std::move(programFolder)) {}

ProgramSwap::~ProgramSwap() {
  if (open_) Rollback();
}

bool ProgramSwap::Apply(const std::string& rootFolder, const std::string& oldVersion,
                        const std::string& newVersion, std::string* reason) {
  journal_ = SwapJournal{rootFolder, oldVersion, newVersion, SwapJournal::State::Applying, {}};
  if (!Plan(StagedFolderOf(program_), program_, &journal_.entries, reason)) return false;
  if (!SaveJournal(reason)) {
    std::error_code ignored;
    fs::remove(JournalPathOf(program_), ignored);
    return false;
  }
  open_ = true;
  const fs::path work = WorkFolderOf(program_);
  int moved = 0;
  for (const SwapJournal::Entry& entry : journal_.entries) {
    const SwapPaths paths{work / "new" / entry.relative, fs::path(program_) / entry.relative,
                          work / "old" / entry.relative};
    if (!MoveIn(entry, paths, reason)) {
      Rollback();
      return false;
    }
    if (entry.kind != Kind::Folder) KillPointForTests("move " + std::to_string(++moved));
  }
  SyncFileSystem(program_);
  journal_.state = SwapJournal::State::FilesIn;
  if (!SaveJournal(reason)) {
    Rollback();
    return false;
  }
  return true;
}

bool ProgramSwap::Finish(std::string* reason) {
  KillPointForTests("version");
  std::string why;
  if (!RecordVersion(journal_.newVersion, &why)) {
    Fail(reason, why);
    Rollback();
    return false;
  }
  KillPointForTests("commit");
  return EndJournal(reason);
}

bool ProgramSwap::Rollback(std::string* reason) {
  if (journal_.state == SwapJournal::State::FilesIn) {
    // Should this rollback be cut short, the next start undoes the rest, not finish it.
    journal_.state = SwapJournal::State::Applying;
    SaveJournal(nullptr);
  }
  const fs::path work = WorkFolderOf(program_);
  bool ok = true;
  std::string why;
  for (auto it = journal_.entries.rbegin(); it != journal_.entries.rend(); ++it) {
    const SwapPaths paths{work / "new" / it->relative, fs::path(program_) / it->relative,
                          work / "old" / it->relative};
    std::string failure;
    if (!MoveBack(*it, paths, &failure)) {
      ok = false;
      why = failure;
    }
  }
  SyncFileSystem(program_);
  if (ok) ok = RecordVersion(journal_.oldVersion, &why);
  if (!ok) return Fail(reason, "cannot restore the old program files: " + why);
  return EndJournal(reason);
}

bool ProgramSwap::Resume(std::string* reason) {
  const auto journal = SwapJournal::Load(JournalPathOf(program_), reason);
  if (!journal) return false;
  journal_ = *journal;
  open_ = true;
  return true;
}

bool ProgramSwap::SaveJournal(std::string* reason) {
  return journal_.Save(JournalPathOf(program_), reason);
}

bool ProgramSwap::EndJournal(std::string* reason) {
  std::error_code ec;
  fs::remove(JournalPathOf(program_), ec);
  if (ec) return Fail(reason, "cannot remove " + JournalPathOf(program_) + ": " + ec.message());
  open_ = false;
  SyncFileSystem(program_);
  return true;
}

// The program knows its version from its configuration: without the new one it would offer
// the same update again, and with a new one over old files it would never offer it.
bool ProgramSwap::RecordVersion(const std::string& version, std::string* reason) const {
  if (RecordedVersion(journal_.rootFolder) == version) return true;
  const std::string config = ConfigPathOf(journal_.rootFolder);
  if (platform::WriteProfileString("CONFIG", "ManagerVersion", version, config)) return true;
  return Fail(reason, "cannot record the version " + version + " in " + config);
}

}  // namespace updater
