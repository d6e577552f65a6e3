#pragma once
// What the updater's tests share: a scratch install, reading it back, and an updater killed
// in the middle of its swap.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <csignal>
#include <string>

#include "platform/Files.h"
#include "platform/Ini.h"
#include "tests/support/TempFolder.h"
#include "updater/ProgramUpdate.h"

namespace updater {

// A scratch folder `local` holding the program folder and the root folder of an install.
class ScratchInstallTest : public ::testing::Test {
 protected:
  testing_support::TempFolder local;
  UpdatePlaces places{local / "program", local / "root"};
};

inline std::string Read(const std::string& path) {
  return platform::ReadFile(path).value_or("<none>");
}

inline std::string VersionIn(const UpdatePlaces& places) {
  return platform::ReadProfileString("CONFIG", "ManagerVersion", "", 260,
                                     places.rootFolder + "/Config/KavoraC.ini");
}

// Swaps the staged version 1.0.1 in, in a child process killed at `step` of the swap.
inline void KillSwapAt(const UpdatePlaces& places, const char* step) {
  EXPECT_EXIT(
      {
        ::setenv("ORB_TEST_KILL_UPDATE_AT", step, 1);
        InstallStagedFiles(places, "1.0.1", nullptr);
        std::exit(0);
      },
      testing::KilledBySignal(SIGKILL), "");
}

}  // namespace updater
