#include "ui/CProgressWnd.h"

#include <chrono>

#include "platform/Clock.h"
#include "platform/Text.h"
#include "ui/Controls.h"

namespace ui {
namespace {
QString Cut(const QString& text) {
  return QString::fromStdString(platform::CutToCapacity(text.toStdString(), 260));
}
}  // namespace

CProgressWnd::CProgressWnd(const QString& tip, const QString& title, const QString& step,
                           int maximum, const std::atomic<bool>* done)
    : tip_(Cut(tip)), title_(Cut(title)), step_(Cut(step)), done_(done), ticker_(maximum) {}

int CProgressWnd::barValue() const { return bar_ ? bar_->GetValue() : ticker_.value(); }

void CProgressWnd::OnFindControl() {
  Control* tip = FindControl("textTip");
  bar_ = Find<Progress>("tipProgress");
  Control* step = FindControl("labelStep");
  Control* title = FindControl("labelTitle");
  if (bar_) {
    bar_->SetMaxValue(ticker_.maximum());
    bar_->SetValue(0);
  }
  if (tip) tip->SetText(tip_);
  if (title) title->SetText(title_);
  if (step) step->SetText(step_);
}

void CProgressWnd::OnPrepare() {
  // One second of program time per tick, so a scaled clock speeds the window up too.
  const auto real =
      std::chrono::duration_cast<std::chrono::milliseconds>(platform::TheClock().ToReal(1000));
  timer_.setTimerType(Qt::PreciseTimer);
  timer_.setInterval(std::max<int>(1, static_cast<int>(real.count())));
  QObject::connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
  timer_.start();
}

void CProgressWnd::Tick() {
  const bool done = ownDone_.load() || (done_ && done_->load());
  const bool closes = ticker_.Tick(done);
  if (bar_) bar_->SetValue(ticker_.value());
  if (observer_) observer_(ticker_.ticks());
  if (closes) {
    timer_.stop();
    Close(IDOK);
  }
}

}  // namespace ui
