#pragma once
// The firmware window ("FWUPWND"): the VCI and system rows, their tick boxes and version
// links, the status line and the progress bar of a firmware::FirmwareUpdateJob. The job
// decides; the window shows its state and hands it the clicks.
#include <atomic>
#include <memory>

#include "firmware/FirmwareUpdateJob.h"
#include "ui/GUIWnd.h"

namespace ui {

class Option;
class Progress;

class HWControlWnd : public GUIWnd {
 public:
  explicit HWControlWnd(firmware::FirmwareJobSetup setup);
  ~HWControlWnd() override;

  firmware::FirmwareUpdateJob& job() { return *job_; }

 protected:
  QString GetSkinFile() override { return "HWFWUpdateWnd.xml"; }
  QString GetWindowClassName() const override { return "HWFWUpdateWndG"; }
  void OnFindControl() override;
  void OnPrepare() override;
  void OnClick(TNotifyUI& msg) override;
  // Alt+F4 and the window manager's close act like "btnClose": refused during a run.
  void OnSystemClose() override { CloseUnlessBusy(); }

 private:
  class QuietStatus;
  void CloseUnlessBusy();
  // Any thread: the job changed; one refresh of the controls is queued at a time.
  void JobChanged();
  void ShowState();

  std::unique_ptr<QuietStatus> quiet_;
  std::unique_ptr<firmware::FirmwareUpdateJob> job_;
  // After a completed run the rows show what is installed now: Update waits for the user to
  // tick a row again rather than offering to write the same images once more.
  int runsSeen_ = 0;
  bool awaitingTick_ = false;
  std::shared_ptr<std::atomic<bool>> refreshQueued_ = std::make_shared<std::atomic<bool>>(false);
  Control *vciRow_ = nullptr, *sysRow_ = nullptr;
  Control *vciName_ = nullptr, *vciCurrent_ = nullptr, *vciNew_ = nullptr;
  Control *sysName_ = nullptr, *sysCurrent_ = nullptr, *sysNew_ = nullptr;
  Option *vciCheck_ = nullptr, *sysCheck_ = nullptr;
  Control *status_ = nullptr, *close_ = nullptr, *update_ = nullptr, *updateLog_ = nullptr;
  Progress* bar_ = nullptr;
};

// Shows the firmware window modally until the user closes it, owned by `owner` (none: the
// active window).
void OpenFirmwareWindow(firmware::FirmwareJobSetup setup, QWidget* owner = nullptr);

}  // namespace ui
