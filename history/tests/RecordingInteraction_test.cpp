#include "history/RecordingInteraction.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/support/ScriptedInteraction.h"

namespace {

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
