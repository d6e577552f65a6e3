#include "history/RecordingInteraction.h"

#include <gtest/gtest.h>

#include "tests/support/ScriptedInteraction.h"

namespace {

TEST(RecordingInteraction, ReasonIsTheLastMessageElseTheLastStatus) {
  using Step = std::function<void(core::Interaction&)>;
  const auto status = [](const char* t) {
    return Step([t](core::Interaction& i) { i.SetStatus(t); });
  };
  const auto message = [](const char* t) {
    return Step([t](core::Interaction& i) { i.ShowMessage(t, "", core::MessageIcon::Error); });
  };
  const auto notice = [](const char* t) {
    return Step([t](core::Interaction& i) { i.ShowTip("W", t, 0); });
  };
  const auto question = [](const char* t) {
    return Step([t](core::Interaction& i) { i.ShowTip("W", t, 1); });
  };
  const auto ask = [](const char* t) {
    return Step([t](core::Interaction& i) { i.AskOkCancel(t, "", core::MessageIcon::None); });
  };
  struct Case {
    const char* name;
    std::vector<bool> answers;
    std::vector<Step> steps;
    std::string reason;
    bool cancelled = false;
  } cases[] = {
      {"status only", {}, {status("Updating..."), status("Update Completed")}, "Update Completed"},
      {"message before a later status",
       {},
       {message("Connect device failed！"), status("... Failed")},
       "Connect device failed！"},
      {"notice", {}, {status("s"), notice("Device is not connected")}, "Device is not connected"},
      {"question answered OK",
       {true},
       {question("Low voltage?"), status("Update Completed")},
       "Update Completed"},
      {"question cancelled",
       {false},
       {status("s"), question("Low voltage?")},
       "Low voltage?",
       true},
      {"box cancelled", {false}, {ask("Update now?")}, "Update now?", true},
  };
  for (const auto& c : cases) {
    testing_support::ScriptedInteraction shown;
    for (bool a : c.answers) shown.Answer({a});
    history::RecordingInteraction recording(shown);
    recording.ShowMessage("from an earlier procedure", "", core::MessageIcon::Error);
    recording.Begin();
    for (const auto& step : c.steps) step(recording);
    EXPECT_EQ(recording.reason(), c.reason) << c.name;
    EXPECT_EQ(recording.cancelled(), c.cancelled) << c.name;
    EXPECT_EQ(shown.shown().size(), c.steps.size() + 1) << c.name << ": everything is passed on";
  }
}

}  // namespace
