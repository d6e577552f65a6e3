#pragma once
// One update of a program folder at a time: the updater holds this lock on the folder for its
// whole run, and a start that finds an unfinished swap waits for it before taking the swap
// over. An advisory lock on the folder's own descriptor, released by the system when its
// holder ends, however it ends.
#include <cstdint>
#include <string>

namespace updater {

class ProgramFolderLock {
 public:
  explicit ProgramFolderLock(const std::string& folder);
  ~ProgramFolderLock();
  ProgramFolderLock(const ProgramFolderLock&) = delete;
  ProgramFolderLock& operator=(const ProgramFolderLock&) = delete;

  bool TryLock();
  // Tries for up to `waitMs` of program time.
  bool Lock(std::int64_t waitMs);

 private:
  int fd_ = -1;
};

}  // namespace updater
