#pragma once
// The timed progress window: its bar moves one step a second up to the maximum; it closes
// at the tick after its owner sets done, or by itself after maximum + 9 ticks.
#include <QTimer>
#include <atomic>
#include <functional>

#include "core/ProgressTicker.h"
#include "ui/GUIWnd.h"

namespace ui {

class Progress;

class CProgressWnd : public GUIWnd {
 public:
  // `done` (may be none) is the owner's flag; SetDone sets the window's own.
  CProgressWnd(const QString& tip, const QString& title, const QString& step, int maximum,
               const std::atomic<bool>* done = nullptr);

  void SetDone() { ownDone_.store(true); }
  // Called on the UI thread after every tick, with the ticks so far.
  void SetTickObserver(std::function<void(int)> observer) { observer_ = std::move(observer); }
  int ticks() const { return ticker_.ticks(); }
  int barValue() const;

 protected:
  QString GetSkinFile() override { return "ProgressWnd.xml"; }
  QString GetWindowClassName() const override { return "ProgressWnd"; }
  void OnFindControl() override;
  void OnPrepare() override;
  // The timed window runs its time; the owner's wait goes on whatever the user presses.
  void OnEscape() override {}

 private:
  void Tick();

  QString tip_, title_, step_;
  const std::atomic<bool>* done_;
  std::atomic<bool> ownDone_{false};
  core::ProgressTicker ticker_;
  QTimer timer_;
  std::function<void(int)> observer_;
  Progress* bar_ = nullptr;
};

}  // namespace ui
