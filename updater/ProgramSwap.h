#pragma once
// Puts the files of an unpacked package in place of the installed ones by renames within one
// file system, keeping each replaced file aside until the whole set is in. Every swap is
// written to a journal before the first file moves, so that a swap cut short (by a failure,
// a kill or a power cut) is undone, or finished once every file is in, here or by the next
// program that starts: the installed program is either all old or all new, and the version
// in the root folder's configuration says which.
//
// The work folder `.OrbUpdate` below the program folder holds the unpacked package (`new`),
// the replaced files (`old`) and the journal.
#include <string>

#include "updater/SwapJournal.h"

namespace updater {

std::string WorkFolderOf(const std::string& programFolder);
std::string StagedFolderOf(const std::string& programFolder);
std::string JournalPathOf(const std::string& programFolder);
// ManagerVersion as the root folder's configuration records it.
std::string RecordedVersion(const std::string& rootFolder);

class ProgramSwap {
 public:
  explicit ProgramSwap(std::string programFolder);
  ~ProgramSwap();  // a swap neither finished nor rolled back is rolled back
  ProgramSwap(const ProgramSwap&) = delete;
  ProgramSwap& operator=(const ProgramSwap&) = delete;

  // Records the swap of every staged file and moves them in. Nothing moves when the package
  // does not fit the installed folder; a later failure moves everything back.
  bool Apply(const std::string& rootFolder, const std::string& oldVersion,
             const std::string& newVersion, std::string* reason);
  // Records the new version in the root folder's configuration and ends the swap. When the
  // version cannot be recorded the swap is rolled back, so files and version still agree.
  bool Finish(std::string* reason);
  // Puts every old file back, leaves the old version recorded and ends the swap. On failure
  // the journal stays, with everything still needed to try again.
  bool Rollback(std::string* reason = nullptr);

  // Takes up the swap that the journal in the work folder records.
  bool Resume(std::string* reason);
  const SwapJournal& journal() const { return journal_; }

 private:
  bool SaveJournal(std::string* reason);
  bool EndJournal(std::string* reason);
  bool RecordVersion(const std::string& version, std::string* reason) const;

  std::string program_;
  SwapJournal journal_;
  bool open_ = false;
};

}  // namespace updater
