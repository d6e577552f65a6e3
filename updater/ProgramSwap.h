#pragma once
// Puts the files of an unpacked package in place of the installed ones by renames within one
// file system, keeping each replaced file aside until the whole set is in. Any failure
// renames everything back, so the installed program is either all old or all new.
#include <string>
#include <vector>

namespace updater {

class ProgramSwap {
 public:
  // `backupFolder` takes the replaced files; it must be on the program folder's file system.
  ProgramSwap(std::string stagedFolder, std::string programFolder, std::string backupFolder);
  ~ProgramSwap();  // an applied swap that was neither committed nor rolled back is rolled back
  ProgramSwap(const ProgramSwap&) = delete;
  ProgramSwap& operator=(const ProgramSwap&) = delete;

  // Moves every file of the staged folder to the same place below the program folder. On
  // failure everything already moved goes back, and `reason` says what failed.
  bool Apply(std::string* reason);
  // Puts the old files back after a successful Apply.
  bool Rollback(std::string* reason = nullptr);
  // Drops the old files; the swap can no longer be undone.
  void Commit();

  // Relative paths of the files Apply moved in, in order.
  std::vector<std::string> movedFiles() const;

 private:
  struct Move {
    std::string relative;
    bool replaced = false;  // an old file was set aside
  };

  std::string staged_, program_, backup_;
  std::vector<Move> moves_;
  std::vector<std::string> createdFolders_;  // below the program folder, in creation order
  bool open_ = false;
};

}  // namespace updater
