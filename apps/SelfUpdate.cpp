#include "apps/SelfUpdate.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "core/Log.h"
#include "core/ProgramTexts.h"
#include "net/CatalogueSignature.h"
#include "net/DownloadFile.h"
#include "platform/Files.h"
#include "platform/Processes.h"
#include "platform/Text.h"

namespace apps {
namespace {

constexpr const char* kCaption = "Update";

std::string UpdateIniPath(const core::ZConfig& config) {
  return platform::JoinPath(config.downloadDir, "update.ini");
}

std::string PackageManagerText(const std::string& version) {
  return core::TextWith(core::TextId::kInstallThroughPackageManager, version);
}

// An error page or a cut file has no such section; the profile rules trim blanks and ignore
// letter case in section names.
bool HasUpdateSection(const std::string& path) {
  const std::string text = platform::ReadFile(path).value_or("");
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = platform::Trim(std::string_view(text).substr(start, end - start));
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']' &&
        platform::EqualsNoCase(platform::Trim(line.substr(1, line.size() - 2)), "UPDATE"))
      return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

bool FetchUpdateInfo(const core::ZConfig& config, const std::string& path) {
  const net::CatalogueSignature signature(config.CatalogueKey, config.HttpCacert);
  return net::DownloadLoadedFile(config.UpdateURL, path, net::UpdateInfoTransfer(config.HttpCacert),
                                 signature.Guard(config.UpdateURL, HasUpdateSection))
      .ok;
}

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
  // The SHA-256 follows only when update.ini gives one, so an updater that knows five
  // fields still reads every line written without it.
  return ownVersion + " " + update.ManagerVersion + " " + update.ManagerURL + " " +
         std::to_string(update.Size) + " " + update.MD5 +
         (update.SHA256.empty() ? "" : " " + update.SHA256);
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
    if (config.OEMUpdateURL.find("://") == std::string::npos)
      return UpdateButtonResult::NothingToDo;
    platform::ShellOpen(config.OEMUpdateURL);
    return UpdateButtonResult::OpenedOemAddress;
  }
  const std::string path = UpdateIniPath(config);
  if (!FetchUpdateInfo(config, path)) {
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
