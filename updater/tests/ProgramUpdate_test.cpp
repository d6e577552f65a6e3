#include "updater/ProgramUpdate.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <thread>

#include "codec/MD5.h"
#include "platform/Ini.h"
#include "tests/support/ServedFolder.h"
#include "tests/support/ShellRun.h"

namespace updater {
namespace {

using testing_support::RunShell;
using testing_support::ServedFolder;
using testing_support::TempFolder;
namespace fs = std::filesystem;

// Every update of this suite fetches from its own loopback address.
constexpr const char* kAddress = "127.0.0.90";

std::string Read(const std::string& path) { return platform::ReadFile(path).value_or("<none>"); }

class ProgramUpdateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.started());
    places.programFolder = local / "program";
    places.rootFolder = local / "root";
    Install();
  }
  // Version 1.0.0, installed afresh.
  void Install() {
    fs::remove_all(local / "program");
    fs::remove_all(local / "root");
    local.Put("program/OrbManager", "#!/bin/sh\necho old\n");
    fs::permissions(local / "program/OrbManager", fs::perms::owner_all);
    local.Put("program/libKRY.so", "old library");
    local.Put("root/Config/KavoraC.ini", "[CONFIG]\nManagerVersion=1.0.0\nOfflineMode=0\n");
  }

  // Packs the files of `tree` (relative path -> content; programs end in "*") as served
  // `name`, and returns the request for it.
  UpdateRequest Serve(const std::string& name, const std::map<std::string, std::string>& tree,
                      const std::string& tarFlags = "-czf") {
    const std::string folder = local / ("pack-" + name);
    for (const auto& [path, content] : tree) {
      std::string file = path;
      const bool program = !file.empty() && file.back() == '*';
      if (program) file.pop_back();
      local.Put("pack-" + name + "/" + file, content);
      if (program) fs::permissions(folder + "/" + file, fs::perms::owner_all);
    }
    const std::string archive = server.files() / name;
    EXPECT_EQ(RunShell("tar " + tarFlags + " '" + archive + "' -C '" + folder + "' .").code, 0);
    return RequestFor(name);
  }
  UpdateRequest RequestFor(const std::string& name) {
    const std::string path = server.files() / name;
    return {"1.0.0", "1.0.1", server.Url("/" + name), platform::FileSize(path).value_or(1),
            codec::FileMD5Text(path).value_or(std::string(32, '0'))};
  }
  std::string Version() {
    return platform::ReadProfileString("CONFIG", "ManagerVersion", "", 260,
                                       local / "root/Config/KavoraC.ini");
  }
  ServedFolder server{kAddress};
  TempFolder local;
  UpdatePlaces places;
};

const std::map<std::string, std::string> kNewVersion = {
    {"OrbManager*", "#!/bin/sh\necho new\n"},
    {"libKRY.so", "new library"},
    {"skin/EN/MainFrameWnd.xml", "<Window/>"},
    {"lib/libKRY.so.1", "versioned"},
};

TEST_F(ProgramUpdateTest, InstallsTheNewVersionAndRecordsIt) {
  const UpdateRequest request = Serve("OrbManager-1.0.1.tar.gz", kNewVersion);
  std::vector<UpdateStage> stages;
  const UpdateOutcome outcome = RunUpdate(request, places, [&](UpdateStage s, auto, auto) {
    if (stages.empty() || stages.back() != s) stages.push_back(s);
  });
  ASSERT_TRUE(outcome.ok) << outcome.reason;
  for (const auto& [path, content] : kNewVersion)
    EXPECT_EQ(Read(local / "program/" + path.substr(0, path.find('*'))), content);
  EXPECT_NE(fs::status(local / "program/OrbManager").permissions() & fs::perms::owner_exec,
            fs::perms::none);
  EXPECT_EQ(Version(), "1.0.1");
  // The rest of the configuration is the user's and stays.
  EXPECT_EQ(platform::ReadProfileInt("CONFIG", "OfflineMode", 9, local / "root/Config/KavoraC.ini"),
            0);
  EXPECT_FALSE(fs::exists(WorkFolder(places)));
  EXPECT_EQ(stages.front(), UpdateStage::Downloading);
  EXPECT_EQ(stages.back(), UpdateStage::Finished);
}

TEST_F(ProgramUpdateTest, AnyFailureLeavesTheOldVersionWhole) {
  const struct {
    const char* name;
    std::function<UpdateRequest()> prepare;
    const char* why;
  } cases[] = {
      {"missing package", [&] { return RequestFor("absent.tar.gz"); }, "cannot download"},
      {"size differs",
       [&] {
         UpdateRequest r = Serve("a.tar.gz", kNewVersion);
         r.size += 1;
         return r;
       },
       "bytes, not"},
      {"MD5 differs",
       [&] {
         UpdateRequest r = Serve("b.tar.gz", kNewVersion);
         r.md5 = std::string(32, 'A');
         return r;
       },
       "MD5"},
      {"SHA-256 differs",
       [&] {
         UpdateRequest r = Serve("b2.tar.gz", kNewVersion);
         r.sha256 = std::string(64, 'a');
         return r;
       },
       "SHA-256"},
      {"not an archive",
       [&] {
         server.Put("c.tar.gz", "this is not an archive");
         return RequestFor("c.tar.gz");
       },
       "cannot list the package"},
      {"no program in it",
       [&] {
         return Serve("d.tar.gz", {{"libKRY.so", "new library"}});
       },
       "holds no program"},
      {"program not executable",
       [&] {
         return Serve("e.tar", {{"OrbManager", "not runnable"}}, "-cf");
       },
       "holds no program"},
      {"link out of the package",
       [&] {
         const std::string folder = local / "pack-f";
         local.Put("pack-f/OrbManager", "x");
         fs::permissions(folder + "/OrbManager", fs::perms::owner_all);
         fs::create_symlink("../../../etc", folder + "/skin");
         RunShell("tar -czf '" + (server.files() / "f.tar.gz") + "' -C '" + folder + "' .");
         return RequestFor("f.tar.gz");
       },
       "is a symbolic link"},
      {"file where a folder is installed",
       [&] {
         local.Put("program/skin/x", "a folder in the way");
         return Serve("g.tar.gz",
                      {{"OrbManager*", "new"}, {"libKRY.so", "new"}, {"skin", "a file"}});
       },
       "is a folder"},
      {"version cannot be recorded",
       [&] {
         fs::remove(local / "root/Config/KavoraC.ini");
         fs::create_directory(local / "root/Config/KavoraC.ini");
         return Serve("h.tar.gz", kNewVersion);
       },
       "cannot record"},
      {"configuration read-only",  // refused for root too
       [&] {
         fs::permissions(local / "root/Config/KavoraC.ini", fs::perms::owner_read);
         return Serve("i.tar.gz", kNewVersion);
       },
       "cannot record"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Install();
    const UpdateOutcome outcome = RunUpdate(c.prepare(), places, nullptr);
    EXPECT_FALSE(outcome.ok);
    EXPECT_NE(outcome.reason.find(c.why), std::string::npos) << outcome.reason;
    // The old program, its library and version are all still there, and nothing is left over.
    EXPECT_EQ(Read(local / "program/OrbManager"), "#!/bin/sh\necho old\n");
    EXPECT_EQ(Read(local / "program/libKRY.so"), "old library");
    if (fs::is_regular_file(local / "root/Config/KavoraC.ini")) {
      EXPECT_EQ(Version(), "1.0.0");
    }
    EXPECT_FALSE(fs::exists(WorkFolder(places)));
    EXPECT_FALSE(fs::exists(local / "program/skin/EN"));
  }
}

TEST_F(ProgramUpdateTest, StartsTheInstalledProgramInTheRootFolder) {
  // Written aside and renamed, so the file appears whole.
  local.Put("program/OrbManager",
            "#!/bin/sh\npwd > started-in.part && mv started-in.part started-in\n");
  ASSERT_TRUE(StartInstalledProgram(places));
  for (int i = 0; i < 200 && !fs::exists(local / "root/started-in"); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(Read(local / "root/started-in"), fs::canonical(local / "root").string() + "\n");
}

}  // namespace
}  // namespace updater
