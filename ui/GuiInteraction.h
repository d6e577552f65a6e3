#pragma once
// The program's interaction with windows: message boxes in the program's look, the message
// window and the timed progress window. Any thread may call it; questions block the caller
// until the UI thread has answered. It belongs to no window, so it has no view of its own: a
// window that starts a procedure hands it a ui::WindowView beside this interaction.
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
  // Without a window bound these show nothing: guessing one (the active window) would put
  // a procedure's status into whatever window happens to be in front.
  void SetStatus(const std::string&) override {}
  void SetProgress(int, int) override {}
  void SetLabel(const std::string&, const std::string&) override {}
};

}  // namespace ui
