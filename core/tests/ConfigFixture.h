#pragma once
// A root folder with its own SDK settings folder, as one program run sees them.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "platform/Files.h"
#include "tests/support/TempFolder.h"

class ConfigFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("XDG_CONFIG_HOME", root.path().c_str(), 1);
    ::unsetenv("SystemRoot");
    ::unsetenv("windir");
    ::unsetenv("LC_ALL");
    ::unsetenv("LC_MESSAGES");
    ::setenv("LANG", "en_US.UTF-8", 1);
    platform::CreateFolders(root / "Config");
    platform::CreateFolders(root / "kry");
  }
  void WriteConfig(const std::string& text) {
    platform::WriteFile(root / "Config/KavoraC.ini", text);
  }
  std::string sdkIni() const { return root / "kry/KRY.ini"; }

  testing_support::TempFolder root;
};
