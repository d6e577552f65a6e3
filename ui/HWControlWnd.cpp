#include "ui/HWControlWnd.h"

#include <QApplication>
#include <QPointer>

#include "core/ForwardingInteraction.h"
#include "ui/Controls.h"
#include "ui/QtText.h"
#include "ui/UiThread.h"

namespace ui {

// The job's status and bar reach this window through its state; passing them on to the
// opener's interaction as well would show them a second time wherever that one shows them.
// Questions and messages go through unchanged.
class HWControlWnd::QuietStatus : public core::ForwardingInteraction {
 public:
  using ForwardingInteraction::ForwardingInteraction;
  void SetStatus(const std::string&) override {}
  void SetProgress(int, int) override {}
};

HWControlWnd::HWControlWnd(firmware::FirmwareJobSetup setup)
    : quiet_(std::make_unique<QuietStatus>(setup.ui)) {
  firmware::FirmwareJobSetup own{setup.device,
                                 setup.catalogue,
                                 setup.config,
                                 std::move(setup.fetch),
                                 *quiet_,
                                 setup.vciPid,
                                 setup.doipPid,
                                 std::move(setup.modulePort),
                                 std::move(setup.makeUpdater)};
  own.use = std::move(setup.use);  // the adapter stays held while the window is open
  job_ = std::make_unique<firmware::FirmwareUpdateJob>(std::move(own));
}

HWControlWnd::~HWControlWnd() {
  job_->SetObserver({});
  job_.reset();  // ends the worker before the controls go
}

void HWControlWnd::OnFindControl() {
  vciRow_ = FindControl("layoutVCIUpdate");
  sysRow_ = FindControl("layoutSysUpdate");
  vciName_ = FindControl("labelVCI");
  vciCurrent_ = FindControl("labelVCICurVer");
  vciNew_ = FindControl("btnVCINewVer");
  vciCheck_ = Find<Option>("checkVCIUpdate");
  sysName_ = FindControl("labelSystem");
  sysCurrent_ = FindControl("labelSysCurVer");
  sysNew_ = FindControl("btnSysNewVer");
  sysCheck_ = Find<Option>("checkSysUpdate");
  status_ = FindControl("textTip");
  bar_ = Find<Progress>("UpdateProgress");
  close_ = FindControl("btnClose");
  update_ = FindControl("btnUpdateFW");
  updateLog_ = FindControl("btnUpdateLog");
}

void HWControlWnd::OnPrepare() {
  job_->SetObserver([this] { JobChanged(); });
  job_->Start();
  ShowState();
}

void HWControlWnd::JobChanged() {
  if (refreshQueued_->exchange(true)) return;  // the queued refresh will read this change too
  QPointer<HWControlWnd> self(this);
  PostToUi([self, queued = refreshQueued_] {
    queued->store(false);
    if (self) self->ShowState();
  });
}

void HWControlWnd::ShowState() {
  const firmware::FirmwareJobState s = job_->state();
  const auto showRow = [](const firmware::FirmwareRow& row, Control* layout, Control* name,
                          Control* current, Control* link, Option* check) {
    if (layout) layout->SetVisible(row.visible);
    if (!row.visible) return;
    if (name) name->SetText(Q(row.name));
    if (current) current->SetText(Q(row.currentVersion));
    if (link) link->SetText(Q(row.newVersion));
    if (check) check->Selected(row.ticked, false);
  };
  showRow(s.vci, vciRow_, vciName_, vciCurrent_, vciNew_, vciCheck_);
  showRow(s.system, sysRow_, sysName_, sysCurrent_, sysNew_, sysCheck_);
  if (status_) status_->SetText(Q(s.status));
  if (bar_) {
    bar_->SetMaxValue(s.progressMaximum);
    bar_->SetValue(s.progress);
  }
  if (s.runs != runsSeen_) {
    runsSeen_ = s.runs;
    if (s.lastRun.ok()) awaitingTick_ = true;
  }
  if (update_) update_->SetEnabled(s.updateEnabled && !s.busy && !awaitingTick_);
  if (close_) close_->SetEnabled(!s.busy);
}

void HWControlWnd::CloseUnlessBusy() {
  if (job_->RequestClose()) Close(IDOK);
}

void HWControlWnd::OnClick(TNotifyUI& msg) {
  Control* sender = msg.pSender;
  if (!sender) return;
  if (sender == close_) {
    CloseUnlessBusy();
  } else if (sender == updateLog_ || sender == vciNew_) {
    job_->OpenVciLog();  // does nothing in OEM mode
  } else if (sender == sysNew_) {
    job_->OpenSystemLog();
  } else if (sender == vciCheck_ || sender == sysCheck_) {
    // The job keeps the ticks; during a run it refuses the change and the boxes go back.
    job_->SetTicks(vciCheck_ && vciCheck_->IsSelected(), sysCheck_ && sysCheck_->IsSelected());
    if (static_cast<Option*>(sender)->IsSelected()) awaitingTick_ = false;
    ShowState();
  } else if (sender == update_) {
    job_->RequestUpdate();
    ShowState();
  }
}

void OpenFirmwareWindow(firmware::FirmwareJobSetup setup, QWidget* owner) {
  QPointer<HWControlWnd> window = new HWControlWnd(std::move(setup));
  window->Create(owner ? owner : QApplication::activeWindow(), "FWUPWND", false);
  window->CenterWindow();
  window->ShowModal();
  // The job holds the adapter until it goes: it goes now, with the window, and not later
  // from the event loop, so that the page's report right after the window finds the
  // adapter free instead of "busy with the firmware update".
  delete window.data();
}

}  // namespace ui
