// Downloads that go wrong halfway, run as a user runs the program (orbmanager-cli in a
// process of its own): the server cutting a catalogue short, the disk filling up, a
// read-only root folder and the process killed mid-transfer. In every case the kept
// catalogue, images and installers are what they were: nothing is lost.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "platform/Files.h"
#include "tests/support/ServedFolder.h"
#include "tests/support/ShellRun.h"

namespace {

using testing_support::ServedFolder;
using testing_support::TempFolder;

const char kKeptApps[] = "<APPS><APP><ITEM><ID>7</ID><VERSION>1.0</VERSION></ITEM></APP></APPS>";
const char kKeptFws[] = "<FWS><ITEM><ID>9</ID><PID>4097</PID><VERSION>V1</VERSION></ITEM></FWS>";
const char kKeptSps[] = "<SPS><ITEM><ID>3</ID></ITEM></SPS>";

std::string Quoted(const std::string& s) { return "'" + s + "'"; }

class DownloadFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(web.started());
    // What the server offers now: bigger than the kept files, so a cut is halfway.
    std::string apps = "<APPS><APP>";
    for (int i = 0; i < 20000; ++i) apps += "<ITEM><ID>" + std::to_string(i) + "</ID></ITEM>";
    web.Put("APPS.xml", apps + "</APP></APPS>");
    web.Put("fws.xml", kKeptFws);
    web.Put("sps.xml", kKeptSps);
    root.Put("Language/EN.xml", "<lang/>");
    web.Put("update.ini", "[UPDATE]\nManagerVersion=1.0.0\n");
    web.Put("apps/7/install.exe", std::string(1 << 20, 'i'));
    root.Put("Config/KavoraC.ini",
             "[CONFIG]\nLANGUAGE=1\nManagerVersion=1.0.0\nOfflineMode=0\nUpdateURL=" +
                 web.Url("/update.ini") + "\nApplicationURL=" + web.Url("/APPS.xml") +
                 "\nFirmwareURL=" + web.Url("/fws.xml") + "\nSPSListURL=" + web.Url("/sps.xml") +
                 "\n");
    kept = {{"Download/APPS.xml", kKeptApps},
            {"Download/fws.xml", kKeptFws},
            {"Download/sps.xml", kKeptSps},
            {"Download/KRY.bin", "kept VCI image"},
            {"Apps/7/install.exe", "kept installer"}};
    for (const auto& [name, bytes] : kept) root.Put(name, bytes);
  }

  // The command line of the CLI in the root folder, as a shell text.
  std::string CliLine(const std::string& args) {
    return "cd " + Quoted(root.path()) + " && XDG_CONFIG_HOME=" + Quoted(root.path()) + " exec " +
           ORB_CLI + " " + args + " 2>" + Quoted(out / "stderr");
  }
  testing_support::ShellResult Cli(const std::string& args, const std::string& before = "") {
    return testing_support::RunShell(before + CliLine(args));
  }
  std::string Stderr() { return platform::ReadFile(out / "stderr").value_or(""); }

  // Every kept file byte for byte as it was, and no half-written file beside them.
  void ExpectNothingLost(bool partFilesAllowed = false) {
    for (const auto& [name, bytes] : kept)
      EXPECT_EQ(platform::ReadFile(root / name).value_or("(gone)"), bytes) << name;
    if (partFilesAllowed) return;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root.path()))
      EXPECT_EQ(entry.path().string().find(".part-"), std::string::npos) << entry.path();
  }

  ServedFolder web{"127.0.0.61"};
  TempFolder root;
  TempFolder out;  // beside the root folder, which may be read-only
  std::vector<std::pair<std::string, std::string>> kept;
};

// The disk filling up (a file size limit of 64 KiB with SIGXFSZ ignored fails a write as
// ENOSPC would) fails the download and keeps the old installer.
TEST_F(DownloadFaults, AFullDiskOrACutCatalogueKeepsTheOldFile) {
  const auto run =
      Cli("download " + web.Url("/apps/7/install.exe") + " " + Quoted(root / "Apps/7/install.exe"),
          "trap '' XFSZ; ulimit -f 128; ");
  EXPECT_EQ(run.code, 1);
  EXPECT_NE(Stderr().find("writing the file failed"), std::string::npos) << Stderr();
  ExpectNothingLost();
  // At the next start a cut catalogue is reported and the kept one is still there.
  web.server().SetFault("/APPS.xml", {sim::FaultKind::Cut});
  Cli("start --no");
  EXPECT_NE(Stderr().find("Download app.xml failed！"), std::string::npos) << Stderr();
  ExpectNothingLost();
}

TEST_F(DownloadFaults, ReadOnlyRootFolderRunsFromTheKeptFiles) {
  // As the superuser, permissions do not stop writes: the root folder becomes a read-only
  // mount in a namespace of the child's own.
  std::string command = CliLine("start --no");
  if (::geteuid() == 0) {
    if (testing_support::RunShell("unshare -m true 2>/dev/null").code != 0)
      GTEST_SKIP() << "no mount namespace for a read-only folder";
    // The command line holds single quotes only, so double quotes can enclose it.
    command = "exec unshare -m sh -c \"mount -o bind,ro " + Quoted(root.path()) + " " +
              Quoted(root.path()) + " && " + command + "\"";
  }
  const auto lock = [&](mode_t mode) {
    for (const std::string& folder : {root.path(), root / "Download"})
      ::chmod(folder.c_str(), mode);
  };
  if (::geteuid() != 0) lock(0555);
  const auto run = testing_support::RunShell(command);
  lock(0755);
  // Nothing can be fetched into the folder, so the start goes on as with an unreachable
  // server: offline, from the kept catalogues, which are untouched.
  EXPECT_EQ(run.code, 0) << Stderr();
  EXPECT_NE(run.out.find("\"state\": \"offline\""), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\"apps\": 1,"), std::string::npos) << run.out;
  ExpectNothingLost();
}

// Runs the CLI with `args` and kills it once `arriving` says its download has begun.
bool KilledWhenArriving(const std::string& line, const std::function<bool()>& arriving) {
  const pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    ::execl("/bin/sh", "sh", "-c", line.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  bool began = false;
  while (!(began = arriving()) && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  return began && WIFSIGNALED(status);
}

TEST_F(DownloadFaults, ProcessKilledMidTransferLeavesTheKeptFilesForTheNextStart) {
  web.server().SetFault("/APPS.xml", {sim::FaultKind::Slow, "", 50});
  ASSERT_TRUE(KilledWhenArriving(CliLine("start --no"), [&] {
    for (const auto& entry : std::filesystem::directory_iterator(root / "Download"))
      if (entry.path().filename().string().rfind("APPS.xml.part-", 0) == 0 && entry.file_size() > 0)
        return true;
    return false;
  }));
  // The half-written part file is the only trace; the kept files are whole.
  ExpectNothingLost(true);

  // The next start, offline, works from the kept catalogue and removes the leftover.
  root.Put("Config/KavoraC.ini", "[CONFIG]\nLANGUAGE=1\nOfflineMode=1\n");
  const auto next = Cli("start --no");
  EXPECT_EQ(next.code, 0) << Stderr();
  EXPECT_NE(next.out.find("\"apps\": 1"), std::string::npos) << next.out;
  ExpectNothingLost();
}

}  // namespace
