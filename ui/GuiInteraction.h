#pragma once
// The interaction interface with windows: message boxes with the platform's icons, the
// message window, the timed progress window, and status, progress and label changes.
// Any thread may call it; questions block the caller until the UI thread has answered.
#include <QString>

#include "core/Interaction.h"

namespace ui {

class GuiInteraction : public core::Interaction {
 public:
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

  // Where SetStatus and SetProgress go: controls of the active window by these names.
  void SetStatusControls(QString status, QString progress) {
    statusControl_ = std::move(status);
    progressControl_ = std::move(progress);
  }

 private:
  QString statusControl_ = "textTip";
  QString progressControl_ = "UpdateProgress";
};

}  // namespace ui
