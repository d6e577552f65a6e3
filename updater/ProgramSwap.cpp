#include "updater/ProgramSwap.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/Log.h"

namespace fs = std::filesystem;

namespace updater {
namespace {

bool Exists(const fs::path& p) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(p, ec));
}

bool IsRealDirectory(const fs::path& p) {
  std::error_code ec;
  return fs::is_directory(fs::symlink_status(p, ec));
}

bool RenameWithParents(const fs::path& from, const fs::path& to, std::string* reason) {
  std::error_code ec;
  fs::create_directories(to.parent_path(), ec);
  if (!ec) fs::rename(from, to, ec);
  if (ec && reason) *reason = "cannot move " + from.string() + " to " + to.string() + ": " + ec.message();
  return !ec;
}

}  // namespace

ProgramSwap::ProgramSwap(std::string stagedFolder, std::string programFolder, std::string backupFolder)
    : staged_(std::move(stagedFolder)),
      program_(std::move(programFolder)),
      backup_(std::move(backupFolder)) {}

ProgramSwap::~ProgramSwap() {
  if (open_) Rollback();
}

bool ProgramSwap::Apply(std::string* reason) {
  moves_.clear();
  createdFolders_.clear();
  std::error_code ec;
  std::vector<fs::path> entries;
  for (auto it = fs::recursive_directory_iterator(staged_, ec); !ec && it != fs::end(it);
       it.increment(ec))
    entries.push_back(it->path());
  if (ec) {
    if (reason) *reason = "cannot read the unpacked package " + staged_ + ": " + ec.message();
    return false;
  }
  std::sort(entries.begin(), entries.end());  // folders before what they hold
  open_ = true;
  for (const fs::path& from : entries) {
    const fs::path relative = from.lexically_relative(staged_);
    const fs::path to = fs::path(program_) / relative;
    if (IsRealDirectory(from)) {
      if (IsRealDirectory(to)) continue;
      if (Exists(to) || !fs::create_directory(to, ec) || ec) {
        if (reason) *reason = "cannot make the folder " + to.string();
        Rollback();
        return false;
      }
      createdFolders_.push_back(relative.string());
      continue;
    }
    Move move{relative.string(), false};
    if (Exists(to)) {
      if (IsRealDirectory(to)) {
        if (reason) *reason = to.string() + " is a folder, the package has a file there";
        Rollback();
        return false;
      }
      if (!RenameWithParents(to, fs::path(backup_) / relative, reason)) {
        Rollback();
        return false;
      }
      move.replaced = true;
    }
    moves_.push_back(move);
    if (!RenameWithParents(from, to, reason)) {
      Rollback();
      return false;
    }
  }
  return true;
}

bool ProgramSwap::Rollback(std::string* reason) {
  bool ok = true;
  std::string why;
  for (auto it = moves_.rbegin(); it != moves_.rend(); ++it) {
    const fs::path installed = fs::path(program_) / it->relative;
    // The new file goes back where it came from, so a retry finds the package whole.
    if (Exists(installed) && !RenameWithParents(installed, fs::path(staged_) / it->relative, &why)) {
      ok = false;
      continue;
    }
    if (it->replaced && !RenameWithParents(fs::path(backup_) / it->relative, installed, &why))
      ok = false;
  }
  for (auto it = createdFolders_.rbegin(); it != createdFolders_.rend(); ++it) {
    std::error_code ec;
    fs::remove(fs::path(program_) / *it, ec);
  }
  if (!ok) {
    LOG_ERROR("Failed to restore the old program files: {0}.", why);
    if (reason) *reason = why;
  }
  moves_.clear();
  createdFolders_.clear();
  open_ = false;
  return ok;
}

void ProgramSwap::Commit() {
  std::error_code ec;
  fs::remove_all(backup_, ec);
  open_ = false;
}

std::vector<std::string> ProgramSwap::movedFiles() const {
  std::vector<std::string> files;
  for (const Move& m : moves_) files.push_back(m.relative);
  return files;
}

}  // namespace updater
