// app list|show|install|update|remove|run: the application window's procedures on the
// terminal, over the catalogue kept in the Download folder.
#include <algorithm>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>

#include "apps/AppPresentation.h"
#include "apps/ZAPPProcedure.h"
#include "apps/ZKRYAPPManager.h"
#include "cli/Command.h"
#include "cli/PrintJson.h"
#include "cli/TerminalInteraction.h"
#include "core/Log.h"
#include "core/ZConfig.h"
#include "net/ZDownloadFileService.h"
#include "platform/Files.h"
#include "platform/Text.h"

namespace cli {
namespace {

using nlohmann::json;

constexpr const char* kUsage = "app list | app show|install|update|remove|run ID";

// The Install button's percentages become one progress line on the terminal.
class AppTerminal : public TerminalInteraction {
 public:
  // A server whose file outgrows its announced SIZE makes the button count past 100 %; the
  // terminal's bar ends at 100 %.
  static std::string WithinBar(const std::string& percentText) {
    const long long value = platform::ParseDecimal(percentText);
    return std::to_string(value < 0 ? 0 : (value > 100 ? 100 : value)) + "%";
  }

  void SetLabel(const std::string& control, const std::string& text) override {
    const bool percent = !text.empty() && text.back() == '%';
    if (percent) {
      if (text != last_) std::cerr << "\r[download] " << WithinBar(text) << std::flush;
      inBar_ = true;
    } else {
      if (inBar_) std::cerr << std::endl;
      inBar_ = false;
      TerminalInteraction::SetLabel(control, text);
    }
    last_ = text;
  }

 private:
  std::string last_;
  bool inBar_ = false;
};

json Buttons(const apps::AppButtons& b) {
  return {{"install", b.install}, {"update", b.update}, {"uninstall", b.uninstall}, {"run", b.run}};
}

json Summary(const apps::ZKRYApp& a) {
  return {{"ID", a.ID},
          {"CLSID", a.CLSID},
          {"NAME", a.NAME},
          {"VERSION", a.VERSION},
          {"installedVersion", a.appInfo.Version},
          {"state", apps::StateText(a.state())},
          {"startable", a.startable()}};
}

// What the application window shows for it.
json Details(const apps::ZKRYApp& a) {
  json j = Summary(a);
  j["labelTitle"] = a.NAME;
  j["labelVersion"] = apps::VersionLabel(a);
  j["labelSize"] = apps::SizeLabel(a);
  j["labelStatus"] = apps::StatusLabel(a);
  j["labelDesc"] = a.DESC;
  j["buttons"] = Buttons(apps::ButtonsFor(a));
  j["installFolder"] = a.installFolder;
  j["installerPath"] = a.installerPath;
  j["appInfo"] = {{"Target", a.appInfo.Target},
                  {"WorkDir", a.appInfo.WorkDir},
                  {"Param", a.appInfo.Param},
                  {"Installed", a.appInfo.Installed}};
  return j;
}

int Fail(const std::string& message) {
  std::cerr << "orbmanager-cli: " << message << std::endl;
  return kFailure;
}

int AppCommand(const std::vector<std::string>& args) {
  if (args.empty()) return BadUsage(kUsage);
  const std::string& action = args[0];
  const bool list = action == "list";
  if (list ? args.size() != 1 : args.size() != 2) return BadUsage(kUsage);
  const char* const actions[] = {"list", "show", "install", "update", "remove", "run"};
  if (std::find(std::begin(actions), std::end(actions), action) == std::end(actions))
    return BadUsage(kUsage);

  core::SetUpLog("orbmanager-cli.log");
  core::ZConfig& config = core::ZConfig::Instance();
  if (!config.Load()) return kFailure;
  const std::string file = platform::JoinPath(config.downloadDir, "APPS.xml");
  apps::ZKRYAPPManager catalogue(config.appsDir);
  if (!catalogue.LoadFromFile(file)) return Fail("cannot load " + file);

  if (list) {
    json j = json::array();
    for (const auto& a : catalogue.objects()) {
      json s = Summary(*a);
      s["class"] = nullptr;
      for (const auto& c : catalogue.classes())
        if (c->ID == a->CLSID) {
          s["class"] = c->NAME;
          break;
        }
      j.push_back(s);
    }
    PrintJson(j);
    return kSuccess;
  }

  apps::ZKRYApp* app = catalogue.FindByID(static_cast<int>(platform::ParseDecimal(args[1])));
  if (!app) return Fail("no application " + args[1] + " in " + file);
  if (action == "show") {
    PrintJson(Details(*app));
    return kSuccess;
  }

  AppTerminal ui;
  net::ZDownloadFileService downloads{
      config.HttpCacert};  // not started: each download runs here, in order
  apps::ZAPPProcedure procedure(*app, ui, {config.OfflineMode, config.OEMFlag, config.downloadDir},
                                [&](net::ZDownloadTask* task) { downloads.Download(task); });
  const apps::AppButtons offered = procedure.Refresh();
  // The window offers a button only in these states; so does the terminal.
  bool ok = false;
  std::optional<bool> versionChanged;
  if (action == "install") {
    if (!offered.install) return Fail(app->NAME + " is installed already");
    procedure.Install();
    ok = app->appInfo.Installed;
  } else if (action == "update") {
    if (!offered.update) return Fail(app->NAME + " has no update");
    if (config.OfflineMode) return Fail("updates need the server (OfflineMode is set)");
    const std::string before = app->appInfo.Version;
    procedure.Update();
    // An installer that ran but left the old version in place did not update anything.
    versionChanged = app->appInfo.Version != before;
    ok = app->appInfo.Installed && *versionChanged;
  } else if (action == "remove") {
    if (!offered.uninstall) return Fail(app->NAME + " is not installed");
    procedure.Remove();
    ok = !app->appInfo.Installed;
  } else {
    if (!offered.run) return Fail(app->NAME + " cannot be started");
    ok = procedure.Run();
  }
  json j = Details(*app);
  j["ok"] = ok;
  if (versionChanged) j["versionChanged"] = *versionChanged;
  PrintJson(j);
  return ok ? kSuccess : kFailure;
}

const Registrar kApp({"app", kUsage, AppCommand});

}  // namespace
}  // namespace cli
