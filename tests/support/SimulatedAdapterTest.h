#pragma once
// A test with its own SDK settings folder and the SDK loaded, ready to meet a vci-sim
// (tests/support/VciSim.h) started on its own address.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "device/ZKRYSdk.h"
#include "platform/Files.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TempFolder.h"

namespace testing_support {

class SimulatedAdapterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("XDG_CONFIG_HOME", folder.path().c_str(), 1);
    ::unsetenv("SystemRoot");
    ::unsetenv("windir");
    ::setenv("KAVORA_TIME_SCALE", "0.01", 1);
    platform::CreateFolders(folder / "kry");
    ScriptedInteraction ui;
    ASSERT_TRUE(device::ZKRYSdk::Instance().Load(ui));
  }
  // A simulator profile file with `text`.
  std::string Profile(const std::string& text) {
    std::string path = folder / "profile.ini";
    platform::WriteFile(path, text);
    return path;
  }

  TempFolder folder;
};

}  // namespace testing_support
