#include "app/StartUp.h"

#include <csignal>
#include <cstdlib>

#include "app/StartUpCleanUp.h"
#include "core/Log.h"
#include "core/ProgramTexts.h"
#include "core/ZConfig.h"
#include "platform/CrashReport.h"
#include "platform/Files.h"
#include "platform/Processes.h"

namespace app {

const char kProgramTitle[] = "OrbManager";

bool PrepareProgram(core::Interaction& ui) {
  // Downloads that ended with their process leave part files; said in the new log below.
  const int leftovers = RemoveUnfinishedDownloads(platform::CurrentDirectory());
  // 1-2. Each run starts a fresh log.
  core::SetUpLog(platform::JoinPath(platform::CurrentDirectory(), "Kavora.log"));
  if (leftovers > 0) LOG_INFO("Removed {0} unfinished download file(s).", leftovers);
  // 3-4. COM and the debug privilege have no counterpart here: they succeed and do nothing.
  // 5-6. The crash report names its dump after the program.
  platform::InstallCrashReport(kProgramTitle);
  // 7. Configuration.
  core::ZConfig& config = core::ZConfig::Instance();
  if (!config.Load()) {
    // Working on from defaults would look like a broken server ("Download app.xml
    // failed！" from empty addresses); the user is told which file and why.
    ui.ShowMessage(core::Text(core::TextId::kConfigUnreadable) + "\n" + config.configFile + "\n" +
                       config.loadError(),
                   "", core::MessageIcon::Error);
    LOG_ERROR("Failed to read configuration file.");
    return false;
  }
  // 8. Kill list, in list order; never the program itself.
  for (const auto& name : config.killList) {
    if (name.empty()) continue;
    const int ended = platform::EndProcessesNamed(name);
    if (ended > 0) LOG_INFO("Ended {0} process(es) named {1}.", ended, name);
  }
  return true;
}

int RunProgram(ProgramShell& shell, core::Interaction& ui) {
  if (!PrepareProgram(ui)) return 0;
  const core::ZConfig& config = core::ZConfig::Instance();
  // 9. Skin folder by language.
  shell.SetResourcePath(
      platform::JoinPath(platform::ProgramFolder(), config.english() ? "skin/EN" : "skin/CS"));
  // 10-13.
  shell.ConstructMainFrame();
  shell.StartSplash();
  shell.CreateMainFrame(config.ManagerTittle);
  shell.StopSplash();
  // 14-16.
  shell.ShowMainWindow();
  // Test-only: the end-to-end tests check that a crash leaves its dump file.
  if (std::getenv("ORB_TEST_CRASH")) std::raise(SIGSEGV);
  shell.RunMessageLoop();
  return 0;
}

}  // namespace app
