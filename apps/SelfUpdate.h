#pragma once
// The program's self-update: the version rule, the updater's parameter line, the prompt at
// start-up and the update button. Starting the updater ends the program at once.
#include <functional>
#include <string>

#include "core/Interaction.h"
#include "core/ZConfig.h"
#include "platform/Files.h"

namespace apps {

// Starts `program` with `parameters` (split at its blanks into its arguments) and ends the
// program; the default never returns. Tests put a recorder in its place.
using Handover = std::function<void(const std::string& program, const std::string& parameters)>;
[[noreturn]] void StartUpdaterAndExit(const std::string& program, const std::string& parameters);

// Whole texts, letter case counting; any difference is a new version (there is no order).
bool IsNewVersion(const std::string& own, const std::string& offered);
// Own version, new version, ManagerURL, Size ("%d"), MD5, joined by single blanks.
std::string UpdaterParameters(const std::string& ownVersion, const core::UpdateInfo& update);
std::string UpdateQuestion(const std::string& newVersion);

// Asks "Find new version: ..., Update now?"; OK hands over. False when declined, and when
// the updater could not replace the program because `programFolder` cannot be written (a
// package install): OK then says to install the version through the package manager.
bool OfferUpdate(core::Interaction& ui, const core::ZConfig& config, const Handover& handover,
                 const std::string& programFolder = platform::ProgramFolder());

// Fetches UpdateURL into `path` (update.ini in the Download folder). The kept file is
// replaced only by one that loads, that is, has an [UPDATE] section.
bool FetchUpdateInfo(const core::ZConfig& config, const std::string& path);

// The start-up prompt, after update.ini was read: only for a new version that is not empty.
void PromptAtStartUp(core::Interaction& ui, const core::ZConfig& config, const Handover& handover,
                     const std::string& programFolder = platform::ProgramFolder());

enum class UpdateButtonResult {
  OpenedOemAddress,  // OEM or offline: the OEM update address went to the browser
  NothingToDo,       // OEM or offline without an address
  DownloadFailed,
  Latest,
  Declined,
  HandedOver,  // only seen when the hand-over returns (tests)
};

// The main frame's update button: fetches UpdateURL to update.ini and compares.
UpdateButtonResult OnUpdateButton(core::Interaction& ui, core::ZConfig& config,
                                  const Handover& handover,
                                  const std::string& programFolder = platform::ProgramFolder());

}  // namespace apps
