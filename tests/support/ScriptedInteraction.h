#pragma once
// The tests' face of the interaction interface: answers questions from a script and
// records everything that was shown, in order. Thread-safe.
#include <atomic>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "core/Interaction.h"
#include "platform/Clock.h"  // the tests that include this one pace their scripts with it

namespace testing_support {

struct Shown {
  // "message", "question", "tip", "progresswindow", "status", "progress", "label"
  std::string kind;
  std::string windowName;  // tip and progress windows; the control for labels
  std::string text;
  std::string caption;
  core::MessageIcon icon = core::MessageIcon::None;
  int value = 0;
  int maximum = 0;
  int result = 0;  // what the script answered
};

class ScriptedInteraction : public core::Interaction {
 public:
  // Answers for the next questions and Cancel-able tips, in order: true = OK. When the
  // script runs out, `defaultAnswer` applies.
  void Answer(std::initializer_list<bool> answers) {
    std::lock_guard<std::mutex> lock(mutex_);
    answers_.insert(answers_.end(), answers);
  }
  void SetDefaultAnswer(bool ok) { defaultAnswer_ = ok; }

  void ShowMessage(const std::string& text, const std::string& caption,
                   core::MessageIcon icon) override {
    Record({"message", "", text, caption, icon});
  }
  bool AskOkCancel(const std::string& text, const std::string& caption,
                   core::MessageIcon icon) override {
    const bool ok = NextAnswer();
    Record({"question", "", text, caption, icon, 0, 0, ok ? 1 : 2});
    return ok;
  }
  int ShowTip(const std::string& windowName, const std::string& text, int type) override {
    const int result = type == 1 ? (NextAnswer() ? 1 : 2) : 1;
    Record({"tip", windowName, text, "", core::MessageIcon::None, type, 0, result});
    return result;
  }
  void ShowProgressWindow(const core::ProgressWindowSpec& spec, const std::atomic<bool>&) override {
    // Closes at once: the owner's `done` is not waited for.
    Record({"progresswindow", spec.windowName, spec.tip, spec.title, {}, 0, spec.maximum});
  }
  void SetStatus(const std::string& text) override { Record({"status", "", text}); }
  void SetProgress(int value, int maximum) override {
    Record({"progress", "", "", "", {}, value, maximum});
  }
  void SetLabel(const std::string& control, const std::string& text) override {
    Record({"label", control, text});
  }

  std::vector<Shown> shown() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return shown_;
  }
  // The texts of one kind, in order.
  std::vector<std::string> Texts(const std::string& kind) const {
    std::vector<std::string> out;
    for (const auto& s : shown())
      if (s.kind == kind) out.push_back(s.text);
    return out;
  }
  void Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    shown_.clear();
  }

 private:
  bool NextAnswer() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (answers_.empty()) return defaultAnswer_;
    const bool a = answers_.front();
    answers_.pop_front();
    return a;
  }
  void Record(const Shown& s) {
    std::lock_guard<std::mutex> lock(mutex_);
    shown_.push_back(s);
  }

  mutable std::mutex mutex_;
  std::deque<bool> answers_;
  std::vector<Shown> shown_;
  std::atomic<bool> defaultAnswer_{true};
};

}  // namespace testing_support
