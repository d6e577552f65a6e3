#pragma once
// What every program of the program folder does before anything else: an updater that was
// killed, or a computer switched off, in the middle of a swap leaves a journal behind; the
// swap is then undone, or finished when every file was already in, so the program never runs
// from a folder of mixed versions and its recorded version matches its files.
#include <string>

namespace updater {

enum class RecoveryOutcome {
  NothingToDo,  // no unfinished swap
  RolledBack,   // the old version is whole again
  Finished,     // every file was in: the new version is recorded
  Busy,         // an updater still holds the folder
  Failed,       // the journal and every kept file stay for the next try
};

struct RecoveryResult {
  RecoveryOutcome outcome = RecoveryOutcome::NothingToDo;
  std::string reason;
};

// Undoes or finishes the swap the journal in `programFolder` records, logging to the
// current log, and removes the work folder once no journal needs it.
RecoveryResult RecoverInterruptedSwap(const std::string& programFolder);

// For the very start of OrbManager, OrbUpdate and orbmanager-cli: recovers the running
// program's folder, logging to OrbUpdate.log in the root folder the updater ran in. When the
// recovery replaced the running program's own file, the restored program is started in its
// place with the same arguments (this call then does not return).
void RecoverInterruptedUpdateAtStart(char** argv);

}  // namespace updater
