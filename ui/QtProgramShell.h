#pragma once
// The program's start-up order (app::RunProgram) with the real windows.
#include <memory>

#include "app/StartUp.h"
#include "ui/GuiInteraction.h"

class QApplication;

namespace ui {

class MainFrameWnd;
class ZSplashThread;

class QtProgramShell : public app::ProgramShell {
 public:
  QtProgramShell(QApplication& app, core::Interaction& ui);
  ~QtProgramShell() override;

  void SetResourcePath(const std::string& skinFolder) override;
  void ConstructMainFrame() override;
  void StartSplash() override;
  void CreateMainFrame(const std::string& title) override;
  void StopSplash() override;
  void ShowMainWindow() override;
  void RunMessageLoop() override;

  // A line for the fresh log, written once the log is set up.
  void NoteAtStart(std::string line) { startNote_ = std::move(line); }
  MainFrameWnd* mainFrame() const { return mainFrame_; }

 private:
  QApplication& app_;
  core::Interaction& ui_;
  MainFrameWnd* mainFrame_ = nullptr;
  std::unique_ptr<ZSplashThread> splash_;
  std::string startNote_;
};

}  // namespace ui
