#pragma once
// The record of one program swap, kept in the work folder while files move. It names every
// file and folder the swap touches, so a swap cut short by a kill or a power cut can be
// undone (or, once every file is in, finished) by whichever program starts next.
#include <optional>
#include <string>
#include <vector>

namespace updater {

struct SwapJournal {
  enum class State {
    Applying,  // files may be half moved: whoever finds this undoes the swap
    FilesIn,   // every file is in: whoever finds this records the version and keeps it
  };
  enum class Kind {
    Folder,    // made by the swap
    Added,     // a file the installed program did not have
    Replaced,  // a file whose old version is kept aside until the swap ends
  };
  struct Entry {
    Kind kind;
    std::string relative;  // below the program folder
  };

  std::string rootFolder;  // the working folder whose Config/KavoraC.ini holds the version
  std::string oldVersion;  // ManagerVersion before the swap
  std::string newVersion;
  State state = State::Applying;
  std::vector<Entry> entries;  // in the order the files move in

  // Replaces the journal at `path` as a whole and flushes it to the disk, so a reader finds
  // either the previous record or this one.
  bool Save(const std::string& path, std::string* reason) const;
  static std::optional<SwapJournal> Load(const std::string& path, std::string* reason);
};

}  // namespace updater
