#pragma once
// The updater's window: what is being updated, the current step and a progress bar. It only
// shows what the procedure's thread reports; the procedure never touches it.
#include <QWidget>
#include <cstdint>

#include "updater/ProgramUpdate.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace updater {

class UpdateWindow : public QWidget {
 public:
  UpdateWindow(const QString& ownVersion, const QString& newVersion);

  // Safe from any thread: the change is posted to the window's thread.
  void PostProgress(UpdateStage stage, std::uint64_t done, std::uint64_t total);
  void ShowFailure(const QString& reason);
  void ShowSuccess();

 private:
  QLabel* step_;
  QProgressBar* bar_;
  QPushButton* close_;
};

}  // namespace updater
