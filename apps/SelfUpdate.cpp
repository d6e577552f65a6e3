#include "apps/SelfUpdate.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "core/Log.h"
#include "core/ProgramTexts.h"
#include "net/DownloadFile.h"
#include "platform/Files.h"
#include "platform/Processes.h"

namespace apps {
namespace {

constexpr const char* kCaption = "Update";
constexpr unsigned kInstallThroughPackageManager = 1140;

std::string UpdateIniPath(const core::ZConfig& config) {
  return platform::JoinPath(config.downloadDir, "update.ini");
}

// The text comes from the language file, so its "%s" is replaced, never formatted.
std::string PackageManagerText(const std::string& version) {
  std::string text = core::Text(kInstallThroughPackageManager);
  const std::size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, version);
  return text;
}

}  // namespace

void StartUpdaterAndExit(const std::string& program, const std::string& parameters) {
  const std::string resolved = platform::ResolveProgram(program);
  LOG_INFO("Start the updater: {0} {1}", program, parameters);
  platform::ShellOpen(resolved.empty() ? program : resolved, parameters);
  std::cout.flush();
  std::fflush(nullptr);
  std::_Exit(0);  // at once, nothing saved or closed
}

bool IsNewVersion(const std::string& own, const std::string& offered) { return own != offered; }

std::string UpdaterParameters(const std::string& ownVersion, const core::UpdateInfo& update) {
  return ownVersion + " " + update.ManagerVersion + " " + update.ManagerURL + " " +
         std::to_string(update.Size) + " " + update.MD5;
}

std::string UpdateQuestion(const std::string& newVersion) {
  return "Find new version: " + newVersion + ", Update now?";
}

bool OfferUpdate(core::Interaction& ui, const core::ZConfig& config, const Handover& handover,
                 const std::string& programFolder) {
  if (!ui.AskOkCancel(UpdateQuestion(config.update.ManagerVersion), kCaption,
                      core::MessageIcon::Information))
    return false;
  // The package manager owns a folder the user cannot write; an updater started there would
  // fail after the program has already ended.
  if (::access(programFolder.c_str(), W_OK) != 0) {
    LOG_INFO("The program folder {0} cannot be written: no updater.", programFolder);
    ui.ShowMessage(PackageManagerText(config.update.ManagerVersion), kCaption,
                   core::MessageIcon::Information);
    return false;
  }
  handover(config.AupdateUpdateProgram, UpdaterParameters(config.ManagerVersion, config.update));
  return true;
}

void PromptAtStartUp(core::Interaction& ui, const core::ZConfig& config, const Handover& handover,
                     const std::string& programFolder) {
  const std::string& offered = config.update.ManagerVersion;
  if (!offered.empty() && IsNewVersion(config.ManagerVersion, offered))
    OfferUpdate(ui, config, handover, programFolder);
}

UpdateButtonResult OnUpdateButton(core::Interaction& ui, core::ZConfig& config,
                                  const Handover& handover, const std::string& programFolder) {
  if (config.OfflineMode || config.OEMFlag) {
    if (config.OEMUpdateURL.find("://") == std::string::npos) return UpdateButtonResult::NothingToDo;
    platform::ShellOpen(config.OEMUpdateURL);
    return UpdateButtonResult::OpenedOemAddress;
  }
  const std::string path = UpdateIniPath(config);
  if (!net::_DownloadFile(config.UpdateURL, path)) {
    LOG_ERROR("Failed to download the new version information file.");
    return UpdateButtonResult::DownloadFailed;
  }
  config.ReadUpdateInfo(path);
  // An empty server version offers nothing to update to: answered like an equal one.
  const std::string& offered = config.update.ManagerVersion;
  if (offered.empty() || !IsNewVersion(config.ManagerVersion, offered)) {
    ui.ShowMessage("The current version is the latest!", kCaption, core::MessageIcon::Information);
    LOG_INFO("none new version found.");
    return UpdateButtonResult::Latest;
  }
  LOG_INFO("new version found, can update it.");
  return OfferUpdate(ui, config, handover, programFolder) ? UpdateButtonResult::HandedOver
                                           : UpdateButtonResult::Declined;
}

}  // namespace apps
