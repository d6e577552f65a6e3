#pragma once
// The command-line face of the interaction interface: messages and window names go to
// standard error, questions are answered by a preset answer or at the terminal.
#include <optional>

#include "core/Interaction.h"

namespace cli {

class TerminalInteraction : public core::Interaction {
 public:
  // `presetAnswer`: true answers OK, false Cancel; none asks at the terminal.
  explicit TerminalInteraction(std::optional<bool> presetAnswer = std::nullopt)
      : answer_(presetAnswer) {}
  void SetPresetAnswer(std::optional<bool> answer) { answer_ = answer; }
  std::optional<bool> presetAnswer() const { return answer_; }

  void ShowMessage(const std::string& text, const std::string& caption,
                   core::MessageIcon icon) override;
  bool AskOkCancel(const std::string& text, const std::string& caption,
                   core::MessageIcon icon) override;
  int ShowTip(const std::string& windowName, const std::string& text, int type) override;
  void ShowProgressWindow(const core::ProgressWindowSpec& spec,
                          const std::atomic<bool>& done) override;
  void SetStatus(const std::string& text) override;
  void SetProgress(int value, int maximum) override;
  void SetLabel(const std::string& control, const std::string& text) override;

 private:
  bool Ask(const std::string& prompt);
  std::optional<bool> answer_;
  int lastPercent_ = -1;
};

}  // namespace cli
