#include "tools/LogCapture.h"

#include <gtest/gtest.h>

#include "history/UpdateHistory.h"
#include "platform/Files.h"
#include "tests/support/ShellRun.h"
#include "tests/support/TempFolder.h"

namespace {

using testing_support::RunShell;
using testing_support::TempFolder;

class LogCaptureTest : public ::testing::Test {
 protected:
  // The archive's files, folders left out, in sorted order.
  std::string Listing(const std::string& archive) {
    return RunShell("tar -tzf '" + archive + "' | grep -v '/$' | sort").out;
  }
  std::string Extracted(const std::string& archive, const std::string& name) {
    return RunShell("tar -xzOf '" + archive + "' '" + name + "'").out;
  }

  TempFolder root, sdk;
};

TEST_F(LogCaptureTest, TakesLogsRotatedFilesSettingsAndDumps) {
  for (const char* name : {"Kavora.log", "Kavora.1.log", "Kavora.3.log", "RepairDevice.log",
                           "OrbManager_2026126223011.dmp", "notes.txt"})
    root.Put(name, name);
  sdk.Put("KRY.ini", "[COMM]\nType=4\n");
  sdk.Put("other/KRY.ini", "[SDK]\nName=KRY\n");
  // Held open by a writer: its last record still lies in the WAL.
  history::UpdateHistory writer(root / "History.db");
  ASSERT_TRUE(writer.Add({"", "K9ABC00258", 0x0301, history::kVciFirmware}));

  const auto result = tools::CaptureLogs({root.path(),
                                          root / "Logs",
                                          {sdk / "KRY.ini", sdk / "KRY.ini", sdk / "other/KRY.ini"},
                                          "20261206_223000"});
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.archive, root / "Logs/KavoraLog_20261206_223000.tar.gz");
  const std::string top = "KavoraLog_20261206_223000/";
  std::string expected;
  for (const char* name : {"dumps/OrbManager_2026126223011.dmp", "history/History.db",
                           "log/Kavora.1.log", "log/Kavora.3.log", "log/Kavora.log",
                           "log/RepairDevice.log", "manifest.txt", "sdk/2/KRY.ini", "sdk/KRY.ini"})
    expected += top + name + "\n";
  EXPECT_EQ(Listing(result.archive), expected);
  EXPECT_EQ(Extracted(result.archive, top + "log/Kavora.1.log"), "Kavora.1.log");
  EXPECT_EQ(Extracted(result.archive, top + "sdk/2/KRY.ini"), "[SDK]\nName=KRY\n");
  platform::WriteFile(sdk / "History.db", Extracted(result.archive, top + "history/History.db"));
  EXPECT_EQ(history::UpdateHistory(sdk / "History.db").List("K9ABC00258")->size(), 1u);
  // Nothing is left behind but the archive.
  EXPECT_EQ(RunShell("ls -A '" + root / "Logs" + "'").out, "KavoraLog_20261206_223000.tar.gz\n");
}

// An empty root still gives an archive that says what was missing; an output folder that
// cannot be made is reported.
TEST_F(LogCaptureTest, AnEmptyRootAndAnOutputFolderThatCannotBeMade) {
  const auto result =
      tools::CaptureLogs({root.path(), root / "out/deeper", {sdk / "KRY.ini"}, "1"});
  ASSERT_TRUE(result.ok) << result.error;
  const std::string manifest = Extracted(result.archive, "KavoraLog_1/manifest.txt");
  for (const std::string& line : {"missing: " + root / "Kavora.log", "missing: " + sdk / "KRY.ini",
                                  std::string("no crash dumps")})
    EXPECT_NE(manifest.find(line), std::string::npos) << manifest;
  root.Put("file", "x");
  const auto refused = tools::CaptureLogs({root.path(), root / "file/Logs", {}, "1"});
  EXPECT_FALSE(refused.ok);
  EXPECT_NE(refused.error.find("cannot be created"), std::string::npos);
}

}  // namespace
