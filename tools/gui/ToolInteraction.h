#pragma once
// The tools' face of Interaction: message boxes on the GUI thread, whichever thread asks.
#include <QWidget>
#include <functional>

#include "core/Interaction.h"

namespace tools {

class ToolInteraction : public core::Interaction {
 public:
  explicit ToolInteraction(QWidget* owner = nullptr) : owner_(owner) {}
  void SetOwner(QWidget* owner) { owner_ = owner; }

  void ShowMessage(const std::string& text, const std::string& caption,
                   core::MessageIcon icon) override;
  bool AskOkCancel(const std::string& text, const std::string& caption,
                   core::MessageIcon icon) override;
  int ShowTip(const std::string& windowName, const std::string& text, int type) override;
  void ShowProgressWindow(const core::ProgressWindowSpec&, const std::atomic<bool>&) override {}
  void SetStatus(const std::string&) override {}
  void SetProgress(int, int) override {}
  void SetLabel(const std::string&, const std::string&) override {}

 private:
  QWidget* owner_;
};

// Runs `work` on the GUI thread and waits for it (directly when already there).
void OnGuiThread(const std::function<void()>& work);
// Queues `work` for the GUI thread without waiting.
void PostToGui(QObject* receiver, std::function<void()> work);

}  // namespace tools

namespace tools {

// With ORB_TOOL_SCREENSHOT=FILE.png the window is saved there once it has settled, and the
// tool ends: pictures for reviews and the end-to-end runs.
void ScreenshotIfAsked(QWidget* window);

}  // namespace tools
