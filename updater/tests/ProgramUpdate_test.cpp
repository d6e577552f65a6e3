#include "updater/ProgramUpdate.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <tuple>

#include "codec/MD5.h"
#include "tests/support/ServedFolder.h"
#include "tests/support/ShellRun.h"
#include "updater/tests/ScratchInstall.h"

namespace updater {
namespace {

using testing_support::RunShell;
using testing_support::ServedFolder;
namespace fs = std::filesystem;

// Every update of this suite fetches from its own loopback address.
constexpr const char* kAddress = "127.0.0.90";

class ProgramUpdateTest : public ScratchInstallTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.started());
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
  UpdateRequest Serve(const std::string& name, const std::map<std::string, std::string>& tree) {
    const std::string folder = local / ("pack-" + name);
    for (const auto& [path, content] : tree) {
      std::string file = path;
      const bool program = !file.empty() && file.back() == '*';
      if (program) file.pop_back();
      local.Put("pack-" + name + "/" + file, content);
      if (program) fs::permissions(folder + "/" + file, fs::perms::owner_all);
    }
    const std::string archive = server.files() / name;
    EXPECT_EQ(RunShell("tar -czf '" + archive + "' -C '" + folder + "' .").code, 0);
    return RequestFor(name);
  }
  UpdateRequest RequestFor(const std::string& name) {
    const std::string path = server.files() / name;
    return {"1.0.0", "1.0.1", server.Url("/" + name), platform::FileSize(path).value_or(1),
            codec::FileMD5Text(path).value_or(std::string(32, '0'))};
  }
  ServedFolder server{kAddress};
};

const std::map<std::string, std::string> kNewVersion = {{"OrbManager*", "#!/bin/sh\necho new\n"},
                                                        {"libKRY.so", "new library"},
                                                        {"skin/EN/MainFrameWnd.xml", "<Window/>"},
                                                        {"lib/libKRY.so.1", "versioned"}};

// A failure anywhere leaves the old program, its library and version whole, and nothing
// left over.
TEST_F(ProgramUpdateTest, InstallsTheNewVersionOrLeavesTheOldOneWhole) {
  const UpdateRequest good = Serve("good.tar.gz", kNewVersion);
  UpdateRequest bigger = good, otherMd5 = good, otherSha256 = good;
  bigger.size += 1, otherMd5.md5 = std::string(32, 'A'), otherSha256.sha256 = std::string(64, 'a');
  const std::string config = local / "root/Config/KavoraC.ini";
  // The request, what spoils the install first, and why it fails ("": installed).
  const std::tuple<UpdateRequest, std::function<void()>, const char*> cases[] = {
      {good, [] {}, ""},
      {RequestFor("absent.tar.gz"), [] {}, "cannot download"},
      {bigger, [] {}, "bytes, not"},
      {otherMd5, [] {}, "MD5"},
      {otherSha256, [] {}, "SHA-256"},
      {Serve("d.tar.gz", {{"libKRY.so", "new"}}), [] {}, "holds no program"},
      {Serve("e.tar.gz", {{"OrbManager", "x"}}), [] {}, "holds no program"},  // not executable
      {Serve("g.tar.gz", {{"OrbManager*", "new"}, {"libKRY.so", "new"}, {"skin", "a file"}}),
       [&] { local.Put("program/skin/x", "a folder in the way"); }, "is a folder"},
      {good, [&] { fs::remove(config), fs::create_directory(config); }, "cannot record"}};
  for (const auto& [request, spoil, why] : cases) {
    Install();
    spoil();
    std::vector<UpdateStage> stages;
    const UpdateOutcome outcome =
        RunUpdate(request, places, [&](UpdateStage s, auto, auto) { stages.push_back(s); });
    EXPECT_NE(outcome.reason.find(why), std::string::npos) << outcome.reason;
    const bool ok = !*why;
    std::string files;
    for (const auto& [path, content] : kNewVersion)
      files += Read(local / "program/" + path.substr(0, path.find('*'))) + "|";
    EXPECT_EQ(files, ok ? "#!/bin/sh\necho new\n|versioned|new library|<Window/>|"
                        : "#!/bin/sh\necho old\n|<none>|old library|<none>|");
    EXPECT_EQ(std::make_tuple(outcome.ok, fs::is_regular_file(config) ? VersionIn(places) : "1.0.0",
                              fs::exists(WorkFolder(places)), stages.front(), stages.back()),
              std::make_tuple(ok, ok ? "1.0.1" : "1.0.0", false, UpdateStage::Downloading,
                              ok ? UpdateStage::Finished : stages.back()));
  }
}

}  // namespace
}  // namespace updater
