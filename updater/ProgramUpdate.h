#pragma once
// The updater's procedure: fetch the new version's package, check its size and MD5, unpack
// it beside the installed program, swap it in, and record the new version in the root
// folder's configuration. Any failure leaves the installed program and its version as they
// were.
#include <cstdint>
#include <functional>
#include <string>

#include "updater/UpdateRequest.h"

namespace updater {

struct UpdatePlaces {
  std::string programFolder;  // where the program's files are installed
  std::string rootFolder;     // the program's working folder, holding Config/KavoraC.ini
  std::string programName = "OrbManager";
  std::string caBundle;  // the configured CA bundle the package's server is checked against
};

enum class UpdateStage { Downloading, Checking, Unpacking, Replacing, Finished };

// Reports from the procedure's thread; `done`/`total` count bytes while downloading.
using UpdateProgress =
    std::function<void(UpdateStage stage, std::uint64_t done, std::uint64_t total)>;

struct UpdateOutcome {
  bool ok = false;
  std::string reason;  // why it failed, for the log and the window
};

UpdateOutcome RunUpdate(const UpdateRequest& request, const UpdatePlaces& places,
                        const UpdateProgress& progress);

// The folder below the program folder that holds the package, the unpacked files, the
// replaced ones and the swap's journal while an update runs; gone afterwards.
std::string WorkFolder(const UpdatePlaces& places);

// Swaps the files unpacked into the work folder's `new` in and records `newVersion`: all or
// nothing, even when the process is killed on the way (see UpdateRecovery).
bool InstallStagedFiles(const UpdatePlaces& places, const std::string& newVersion,
                        std::string* reason);

// Starts the installed program in the root folder, as the user would have started it.
bool StartInstalledProgram(const UpdatePlaces& places);

}  // namespace updater
