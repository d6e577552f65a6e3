// start, catalogue, update-check, download, fetch-firmware: the server services.
#include <iostream>
#include <nlohmann/json.hpp>

#include "app/StartUp.h"
#include "app/StartUpCleanUp.h"
#include "app/ZCoreManager.h"
#include "apps/SelfUpdate.h"
#include "apps/ZKRYAPPManager.h"
#include "apps/ZSPSManager.h"
#include "cli/Command.h"
#include "cli/PrintJson.h"
#include "cli/TerminalInteraction.h"
#include "codec/MD5.h"
#include "core/Log.h"
#include "core/ProgramTexts.h"
#include "core/ZConfig.h"
#include "firmware/FetchFirmwareImage.h"
#include "firmware/ZKRYFirmwareManager.h"
#include "net/DownloadFile.h"
#include "net/ResumableDownload.h"
#include "platform/Files.h"
#include "platform/Text.h"

namespace cli {
namespace {

using nlohmann::json;

bool LoadConfig() {
  core::SetUpLog("orbmanager-cli.log");
  return core::ZConfig::Instance().Load();
}

std::string Kept(const std::string& name) {
  return platform::JoinPath(core::ZConfig::Instance().downloadDir, name);
}

json AppJson(const apps::ZKRYApp& a) {
  return {{"ID", a.ID},
          {"CLSID", a.CLSID},
          {"NAME", a.NAME},
          {"SIZE", a.SIZE},
          {"VERSION", a.VERSION},
          {"DESC", a.DESC},
          {"MD5", a.MD5},
          {"LOGO", a.LOGO},
          {"DOWNLOADURL", a.DOWNLOADURL},
          {"DESCURL", a.DESCURL},
          {"installFolder", a.installFolder},
          {"installerPath", a.installerPath},
          {"appInfo",
           {{"Version", a.appInfo.Version},
            {"Target", a.appInfo.Target},
            {"WorkDir", a.appInfo.WorkDir},
            {"Param", a.appInfo.Param},
            {"Installed", a.appInfo.Installed}}},
          {"state", apps::StateText(a.state())},
          {"startable", a.startable()}};
}

json AppsJson(const apps::ZKRYAPPManager& catalogue) {
  json j = {{"classes", json::array()}, {"applications", json::array()}};
  for (const auto& c : catalogue.classes()) {
    json ids = json::array();
    for (const auto* a : c->applications) ids.push_back(a->ID);
    j["classes"].push_back({{"ID", c->ID},
                            {"NAME", c->NAME},
                            {"DESC", c->DESC},
                            {"LOGO", c->LOGO},
                            {"applications", ids}});
  }
  for (const auto& a : catalogue.objects()) j["applications"].push_back(AppJson(*a));
  return j;
}

json FirmwareJson(const firmware::ZKRYFirmwareManager& catalogue) {
  json j = json::array();
  for (const auto& e : catalogue.entries())
    j.push_back({{"ID", e.ID},
                 {"PID", e.PIDs},
                 {"NAME", e.NAME},
                 {"VERSION", e.VERSION},
                 {"SIZE", e.SIZE},
                 {"MD5", e.MD5},
                 {"URL", e.URL},
                 {"UPDATELOGURL", e.UPDATELOGURL}});
  return j;
}

json SpsJson(const apps::ZSPSManager& catalogue) {
  json j = json::array();
  for (const auto& s : catalogue.objects())
    j.push_back(
        {{"ID", s->ID}, {"NAME", s->NAME}, {"DESC", s->DESC}, {"URL", s->URL}, {"AUTH", s->AUTH}});
  return j;
}

// The hand-over ends the process at once: its document goes out first.
void PrintAndHandOver(const std::string& program, const std::string& parameters) {
  PrintJson({{"handedOver", true}, {"updater", program}, {"parameters", parameters}});
  apps::StartUpdaterAndExit(program, parameters);
}

int StartCommand(const std::vector<std::string>& args) {
  if (!args.empty() && args[0] != "--yes" && args[0] != "--no")
    return BadUsage("start takes [--yes|--no] (the answer to the update question)");
  TerminalInteraction ui(args.empty() ? std::nullopt : std::optional<bool>(args[0] == "--yes"));
  app::RemoveUnfinishedDownloads(platform::CurrentDirectory());
  if (!LoadConfig()) return kFailure;
  app::ZCoreManager& core = app::ZCoreManager::Instance();
  core.SetHandover(PrintAndHandOver);
  const bool started = core.Init(ui);
  json j = {{"started", started},
            {"state", core.online() ? "online" : "offline"},
            {"configuredOffline", core::ZConfig::Instance().OfflineMode},
            {"switchedOffline", core.offline() && !core::ZConfig::Instance().OfflineMode},
            {"downloadService", core.downloadService() != nullptr}};
  if (core.appManager()) {
    j["apps"] = core.appManager()->size();
    j["classes"] = core.appManager()->classes().size();
  }
  if (core.firmwareManager()) j["firmware"] = core.firmwareManager()->entries().size();
  if (core.spsManager()) j["sps"] = core.spsManager()->size();
  PrintJson(j);
  return started ? kSuccess : kFailure;
}

// Prints a catalogue as the last run kept it in the Download folder.
int CatalogueCommand(const std::vector<std::string>& args) {
  if (args.size() != 1) return BadUsage("catalogue takes firmware, apps or sps");
  if (!LoadConfig()) return kFailure;
  const auto& config = core::ZConfig::Instance();
  const auto fail = [](const std::string& file) {
    std::cerr << "orbmanager-cli: cannot load " << file << std::endl;
    return kFailure;
  };
  if (args[0] == "firmware") {
    firmware::ZKRYFirmwareManager catalogue;
    if (!catalogue.Load(Kept("fws.xml"))) return fail(Kept("fws.xml"));
    PrintJson(FirmwareJson(catalogue));
  } else if (args[0] == "apps") {
    apps::ZKRYAPPManager catalogue(config.appsDir);
    if (!catalogue.LoadFromFile(Kept("APPS.xml"))) return fail(Kept("APPS.xml"));
    PrintJson(AppsJson(catalogue));
  } else if (args[0] == "sps") {
    apps::ZSPSManager catalogue;
    if (!catalogue.LoadFromFile(Kept("sps.xml"))) return fail(Kept("sps.xml"));
    PrintJson(SpsJson(catalogue));
  } else {
    return BadUsage("catalogue takes firmware, apps or sps");
  }
  return kSuccess;
}

const char* ButtonResultText(apps::UpdateButtonResult r) {
  switch (r) {
    case apps::UpdateButtonResult::OpenedOemAddress:
      return "opened OEM address";
    case apps::UpdateButtonResult::NothingToDo:
      return "nothing to do";
    case apps::UpdateButtonResult::DownloadFailed:
      return "download failed";
    case apps::UpdateButtonResult::Latest:
      return "latest";
    case apps::UpdateButtonResult::Declined:
      return "declined";
    default:
      return "handed over";
  }
}

int UpdateCheckCommand(const std::vector<std::string>& args) {
  if (args.size() > 1 || (args.size() == 1 && args[0] != "--yes" && args[0] != "--no"))
    return BadUsage("update-check takes [--yes|--no]");
  TerminalInteraction ui(args.empty() ? std::nullopt : std::optional<bool>(args[0] == "--yes"));
  if (!LoadConfig()) return kFailure;
  auto& config = core::ZConfig::Instance();
  const auto result = apps::OnUpdateButton(ui, config, PrintAndHandOver);
  PrintJson({{"result", ButtonResultText(result)},
             {"ownVersion", config.ManagerVersion},
             {"serverVersion", config.update.ManagerVersion}});
  return result == apps::UpdateButtonResult::DownloadFailed ? kFailure : kSuccess;
}

int DownloadCommand(const std::vector<std::string>& args) {
  if (args.size() != 2) return BadUsage("download takes URL PATH");
  if (!LoadConfig()) return kFailure;
  net::ResumableRequest request;
  request.url = args[0];
  request.path = args[1];
  request.options.caBundle = core::ZConfig::Instance().HttpCacert;
  const net::ResumableResult r = net::DownloadResumable(request);
  if (!r.ok) {
    std::cerr << "orbmanager-cli: download failed: " << r.reason << std::endl;
    PrintJson({{"ok", false}, {"status", r.status}, {"reason", r.reason}});
    return kFailure;
  }
  PrintJson({{"ok", true},
             {"status", r.status},
             {"path", args[1]},
             {"size", r.digests.size},
             {"resumedFrom", r.resumedFrom},
             {"md5", r.digests.md5}});
  return kSuccess;
}

// Fetches an image as the firmware window does, with the kept fws.xml as catalogue.
int FetchFirmwareCommand(const std::vector<std::string>& args) {
  if (args.size() != 2 || (args[1] != "vci" && args[1] != "doip"))
    return BadUsage("fetch-firmware takes PID vci|doip");
  if (!LoadConfig()) return kFailure;
  const auto& config = core::ZConfig::Instance();
  TerminalInteraction ui;
  firmware::ZKRYFirmwareManager catalogue;
  const bool loaded = catalogue.Load(Kept("fws.xml"));
  const auto pid = static_cast<std::uint32_t>(platform::ParseDecimal(args[0]));
  const firmware::FirmwareEntry* entry = catalogue.FindEntry(pid);
  if (!entry) {
    std::cerr << "orbmanager-cli: no firmware for PID " << pid << " in " << Kept("fws.xml")
              << std::endl;
    return kFailure;
  }
  const bool vci = args[1] == "vci";
  const std::string base = vci ? "KRY" : "openwrt";
  const bool ok = firmware::FetchFirmwareImage(
      catalogue, {config.downloadDir, loaded && !config.OfflineMode}, ui, pid, base, entry->MD5,
      core::Text(vci ? core::TextId::kDownloading : core::TextId::kDownloadingSystemFirmware));
  const std::string image = firmware::KeptImagePath(config.downloadDir, base);
  PrintJson({{"ok", ok}, {"image", image}, {"VERSION", entry->VERSION}, {"MD5", entry->MD5}});
  return ok ? kSuccess : kFailure;
}

const Registrar kStart({"start", "start [--yes|--no]", StartCommand});
const Registrar kCatalogue({"catalogue", "catalogue firmware|apps|sps", CatalogueCommand});
const Registrar kUpdateCheck({"update-check", "update-check [--yes|--no]", UpdateCheckCommand});
const Registrar kDownload({"download", "download URL PATH", DownloadCommand});
const Registrar kFetchFirmware({"fetch-firmware", "fetch-firmware PID vci|doip",
                                FetchFirmwareCommand});

}  // namespace
}  // namespace cli
