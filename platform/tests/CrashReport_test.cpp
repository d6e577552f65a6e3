#include "platform/CrashReport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>

#include "platform/Files.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WaitForFile.h"

namespace {

// A real invalid write, kept from the sanitizers so that the signal itself arrives.
__attribute__((noinline, no_sanitize("undefined", "address"))) void WriteThroughNull() {
  // Read at run time, so the compiler cannot see the null and drop the write.
  static volatile std::uintptr_t address = 0;
  *reinterpret_cast<volatile int*>(address) = 1;  // NOLINT: the crash under test
}

// The notice is started once the dump is complete, with the fatal text and the dump's path.
TEST(CrashReport, AFatalSignalLeavesTheDumpAndTheTextAndStartsTheNotice) {
  testing_support::TempFolder dir, elsewhere;
  const std::string noticed = elsewhere / "notice.txt";
  // Written aside and renamed, so the file appears whole; only once the dump has content.
  const std::string notice =
      elsewhere.Put("notice", "#!/bin/sh\n[ -s \"$3\" ] && printf '%s|' \"$@\" > " + noticed +
                                  ".tmp && mv " + noticed + ".tmp " + noticed + "\n");
  ASSERT_EQ(::chmod(notice.c_str(), 0755), 0);
  EXPECT_EXIT(
      {
        if (::chdir(dir.path().c_str()) != 0) ::_exit(0);
        platform::InstallCrashReport("OrbManager");
        platform::SetCrashNotice(notice, {"--notice"});
        WriteThroughNull();
      },
      [](int status) { return WIFEXITED(status) && WEXITSTATUS(status) != 0; },
      "OrbManager has an internal error and the program has exited\\. \r\nThe +error file: " +
          dir.path() + "/OrbManager_");
  std::string dump;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) dump = e.path().string();
  testing_support::WaitForFile(noticed);
  EXPECT_EQ(platform::ReadFile(noticed).value_or(""),
            "--notice|OrbManager has an internal error and the program has exited. \r\n"
            "The             error file: " +
                dump + "|" + dump + "|");
  const std::string content = platform::ReadFile(dump).value_or("");
  for (const char* part : {"SIGSEGV", "Faulting address: 0x0", "Backtrace", "Loaded modules"})
    EXPECT_NE(content.find(part), std::string::npos) << part;
  // Dumps are named by their time without leading zeros.
  EXPECT_EQ(platform::CrashDumpFileName("OrbManager", {2024, 3, 5, 9, 7, 2}),
            "OrbManager_202435972.dmp");
}

}  // namespace
