#pragma once
// A test on a clock of its own whose program log goes to its scratch folder, where the test
// reads it back. The clock belongs to the derived fixture, named by TestClock().
#include <gtest/gtest.h>

#include <string>

#include "core/Log.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "tests/support/TempFolder.h"

namespace testing_support {

class LoggedTest : public ::testing::Test {
 protected:
  virtual platform::Clock& TestClock() = 0;
  void SetUp() override {
    platform::SetClock(&TestClock());
    core::SetUpLog(temp / "Kavora.log");
  }
  void TearDown() override {
    platform::SetClock(nullptr);
    core::SetUpLog(temp / "other.log");
  }
  std::string LogText() const { return platform::ReadFile(temp / "Kavora.log").value_or(""); }

  TempFolder temp;
};

}  // namespace testing_support
