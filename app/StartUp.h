#pragma once
// The program's start-up order, independent of the UI toolkit: the front end supplies its
// windows through ProgramShell.
#include <string>

#include "core/Interaction.h"

namespace app {

class ProgramShell {
 public:
  virtual ~ProgramShell() = default;
  // The UI library's resource folder: the program folder plus skin/EN or skin/CS.
  virtual void SetResourcePath(const std::string& skinFolder) = 0;
  // Constructs the main frame object (nothing is shown yet).
  virtual void ConstructMainFrame() = 0;
  virtual void StartSplash() = 0;
  // Creates the main window titled `title`; its creation runs ZCoreManager::Init.
  virtual void CreateMainFrame(const std::string& title) = 0;
  virtual void StopSplash() = 0;
  virtual void ShowMainWindow() = 0;
  // Runs the message loop until the main window ends it.
  virtual void RunMessageLoop() = 0;
};

extern const char kProgramTitle[];

// Steps shared by every front end: fresh log, crash report, configuration, kill list.
// Returns false when the configuration could not be read.
bool PrepareProgram(core::Interaction& ui);

// The whole start-up order; returns the process exit code.
int RunProgram(ProgramShell& shell, core::Interaction& ui);

}  // namespace app
