#include "history/RecordingInteraction.h"

#include <gtest/gtest.h>

#include "tests/support/ScriptedInteraction.h"

namespace {

TEST(RecordingInteraction, ReasonIsTheLastMessageElseTheLastStatus) {
  // A step: s status, m error message, n notice, q OK-Cancel tip, a OK-Cancel box.
  using Step = std::pair<char, const char*>;
  const auto play = [](core::Interaction& i, const Step& step) {
    const auto& [kind, t] = step;
    if (kind == 's') i.SetStatus(t);
    if (kind == 'm') i.ShowMessage(t, "", core::MessageIcon::Error);
    if (kind == 'n' || kind == 'q') i.ShowTip("W", t, kind == 'q');
    if (kind == 'a') i.AskOkCancel(t, "", core::MessageIcon::None);
  };
  struct Case {
    const char* name;
    std::vector<bool> answers;
    std::vector<Step> steps;
    std::string reason;
    bool cancelled = false;
  } cases[] = {
      {"status only", {}, {{'s', "Updating..."}, {'s', "Update Completed"}}, "Update Completed"},
      {"message before a later status",
       {},
       {{'m', "Connect device failed！"}, {'s', "... Failed"}},
       "Connect device failed！"},
      {"notice", {}, {{'s', "s"}, {'n', "Device is not connected"}}, "Device is not connected"},
      {"question answered OK",
       {true},
       {{'q', "Low voltage?"}, {'s', "Update Completed"}},
       "Update Completed"},
      {"question cancelled", {false}, {{'s', "s"}, {'q', "Low voltage?"}}, "Low voltage?", true},
      {"box cancelled", {false}, {{'a', "Update now?"}}, "Update now?", true},
  };
  for (const auto& c : cases) {
    testing_support::ScriptedInteraction shown;
    for (bool a : c.answers) shown.Answer({a});
    history::RecordingInteraction recording(shown);
    recording.ShowMessage("from an earlier procedure", "", core::MessageIcon::Error);
    recording.Begin();
    for (const auto& step : c.steps) play(recording, step);
    EXPECT_EQ(recording.reason(), c.reason) << c.name;
    EXPECT_EQ(recording.cancelled(), c.cancelled) << c.name;
    EXPECT_EQ(shown.shown().size(), c.steps.size() + 1) << c.name << ": everything is passed on";
  }
}

}  // namespace
