// The update history: the store and its damage, and the reason a run leaves in it.
#include "history/UpdateHistory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>
#include <thread>

#include "core/Log.h"
#include "history/RecordingInteraction.h"
#include "platform/Files.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

using history::HistoryRecord;
using history::UpdateHistory;

HistoryRecord Record(const std::string& serial, const std::string& what) {
  return {"", serial, std::nullopt, what};
}

std::vector<std::string> AsideFiles(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder))
    if (e.path().filename().string().find(".damaged-") != std::string::npos)
      names.push_back(std::regex_replace(e.path().filename().string(),
                                         std::regex("damaged-[0-9_]+"), "damaged-X"));
  std::sort(names.begin(), names.end());
  return names;
}

class UpdateHistoryTest : public ::testing::Test {
 protected:
  void SetUp() override { core::SetUpLog(temp / "Kavora.log"); }
  void TearDown() override { core::SetUpLog(temp / "other.log"); }
  std::string Db() const { return temp / "History.db"; }

  testing_support::TempFolder temp;
};

// The file is a database with a few records and its WAL; then it is damaged on purpose.
TEST_F(UpdateHistoryTest, ADamagedDatabaseIsMovedAsideAndANewOneStarted) {
  struct Case {
    const char* name;
    std::function<void(const std::string&)> damage;
    bool movedAside;
  } cases[] = {
      {"truncated to half", [](const std::string& p) { fs::resize_file(p, fs::file_size(p) / 2); },
       true},
      {"not a database",
       [](const std::string& p) { platform::WriteFile(p, std::string(8192, 'x')); }, true},
      {"emptied", [](const std::string& p) { fs::resize_file(p, 0); }, false},
  };
  {
    UpdateHistory store(Db());
    // Enough records for several pages, so that a cut lands inside the tables.
    for (int i = 0; i < 120; ++i) ASSERT_TRUE(store.Add(Record("SN1", "old")));
  }
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing_support::TempFolder root;
    const std::string db = root / "History.db";
    fs::copy_file(Db(), db);
    // The last writer checkpointed and removed its WAL; one lies beside the damage all the same.
    c.damage(db);
    platform::WriteFile(db + "-wal", "stale");
    platform::WriteFile(db + "-shm", "stale");

    UpdateHistory store(db);
    ASSERT_TRUE(store.Add(Record("SN1", "new")));
    const auto kept = store.List();
    EXPECT_TRUE(kept && kept->size() == 1 && kept->front().what == "new");
    const std::vector<std::string> aside = {"History.db.damaged-X", "History.db.damaged-X-shm",
                                            "History.db.damaged-X-wal"};
    EXPECT_EQ(AsideFiles(root.path()), c.movedAside ? aside : std::vector<std::string>{});
    EXPECT_EQ(platform::ReadFile(temp / "Kavora.log")
                      .value_or("")
                      .find("The damaged update history was moved to " + db) != std::string::npos,
              c.movedAside);
  }
}

TEST_F(UpdateHistoryTest, AHistoryThatCannotBeOpenedIsNotTakenForDamage) {
  // A folder where the file belongs: every write fails, nothing is moved.
  platform::CreateFolders(Db());
  UpdateHistory store(Db());
  EXPECT_EQ(std::make_tuple(store.Add(Record("SN1", "a")), store.List().has_value(),
                            platform::IsDirectory(Db()), AsideFiles(temp.path()).empty()),
            std::make_tuple(false, false, true, true));
}

TEST_F(UpdateHistoryTest, WritersInParallelLoseNothing) {
  constexpr int kWriters = 3, kEach = 40;
  std::vector<std::thread> writers;
  writers.reserve(kWriters);
  for (int w = 0; w < kWriters; ++w)
    writers.emplace_back([this, w] {
      UpdateHistory store(Db());  // a connection each, as separate programs have
      for (int i = 0; i < kEach; ++i) EXPECT_TRUE(store.Add(Record("SN" + std::to_string(w), "x")));
    });
  for (auto& t : writers) t.join();
  EXPECT_EQ(UpdateHistory(Db()).List()->size(), std::size_t{kWriters} * kEach);
  EXPECT_EQ(UpdateHistory(Db()).List("SN1")->size(), std::size_t{kEach});
}

// Plays steps written "kind text", one a line: s status, m error message, n notice, q OK-Cancel
// tip, a OK-Cancel box. Returns how many were played.
std::size_t Play(core::Interaction& i, const std::string& steps) {
  std::istringstream lines(steps);
  std::size_t played = 0;
  for (std::string line; std::getline(lines, line); ++played) {
    const char kind = line[0];
    const std::string t = line.substr(2);
    if (kind == 's') i.SetStatus(t);
    if (kind == 'm') i.ShowMessage(t, "", core::MessageIcon::Error);
    if (kind == 'n' || kind == 'q') i.ShowTip("W", t, kind == 'q');
    if (kind == 'a') i.AskOkCancel(t, "", core::MessageIcon::None);
  }
  return played;
}

TEST(RecordingInteraction, ReasonIsTheLastMessageElseTheLastStatus) {
  const struct {
    std::vector<bool> answers;
    const char* steps;
    const char* reason;
    bool cancelled;
  } cases[] = {
      {{}, "s Updating...\ns Update Completed", "Update Completed", false},
      {{}, "m Connect device failed！\ns ... Failed", "Connect device failed！", false},
      {{}, "s s\nn Device is not connected", "Device is not connected", false},
      {{true}, "q Low voltage?\ns Update Completed", "Update Completed", false},
      {{false}, "s s\nq Low voltage?", "Low voltage?", true},
      {{false}, "a Update now?", "Update now?", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.steps);
    testing_support::ScriptedInteraction shown;
    for (bool a : c.answers) shown.Answer({a});
    history::RecordingInteraction recording(shown);
    recording.ShowMessage("from an earlier procedure", "", core::MessageIcon::Error);
    recording.Begin();
    const std::size_t played = Play(recording, c.steps);
    EXPECT_EQ(recording.reason(), c.reason);
    EXPECT_EQ(recording.cancelled(), c.cancelled);
    EXPECT_EQ(shown.shown().size(), played + 1);  // everything is passed on
  }
}

}  // namespace
