#include "ui/MainFrameWnd.h"

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <optional>

#include "app/ZCoreManager.h"
#include "apps/SelfUpdate.h"
#include "core/Log.h"
#include "core/ProgramTexts.h"
#include "core/ZConfig.h"
#include "core/ZGUILanguage.h"
#include "platform/Clock.h"
#include "ui/Controls.h"
#include "ui/DeviceBaseWnd.h"
#include "ui/DeviceInfoWnd.h"
#include "ui/DeviceWnd.h"
#include "ui/HWControlWnd.h"
#include "ui/KRYAPPManagerWnd.h"
#include "ui/ProgramExit.h"
#include "ui/QtText.h"
#include "ui/RemoteDiagWnd.h"
#include "ui/SPSWnd.h"
#include "ui/SaleWnd.h"

namespace ui {
namespace {

MainFrameWnd*& TheMainFrame() {
  static MainFrameWnd* frame = nullptr;
  return frame;
}

const char* const kNavNames[MainFrameWnd::kPageCount] = {
    "btnNaviDevice", "btnNaviApps", "btnNaviSPS", "btnNaviSale", "btnNaviRemoteDiag"};

std::chrono::milliseconds RealMs(int programMs) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
      platform::TheClock().ToReal(programMs));
}

}  // namespace

MainFrameWnd::MainFrameWnd(core::Interaction& ui, CoreInit coreInit)
    : ui_(ui), coreInit_(std::move(coreInit)) {
  if (!coreInit_)
    coreInit_ = [](core::Interaction& i) { return app::ZCoreManager::Instance().Init(i); };
  handover_ = [](const std::string& program, const std::string& parameters) {
    apps::StartUpdaterAndExit(program, parameters);
  };
  TheMainFrame() = this;
}

MainFrameWnd::~MainFrameWnd() {
  if (device_) device_->infoPage()->SetProcedures(nullptr);
  if (TheMainFrame() == this) TheMainFrame() = nullptr;
}

MainFrameWnd* MainFrameWnd::Instance() { return TheMainFrame(); }

void MainFrameWnd::InitWindow() {
  for (int i = 0; i < kPageCount; ++i) navButtons_[i] = FindControl(kNavNames[i]);
  sysClose_ = FindControl("btnSysClose");
  sysMin_ = FindControl("btnSysMin");
  sysMenu_ = FindControl("btnSysMenu");
  update_ = FindControl("btnDownloadManager");
  connState_ = FindControl("labelConnState");
  networkStatus_ = FindControl("labelNetworkStatus");
  version_ = FindControl("labelVersion");
  deviceSN_ = FindControl("labelDeviceSN");
  obdVoltage_ = FindControl("labelOBDVoltage");
  language_ = Find<Combo>("cboLanguage");

  const core::ZConfig& config = core::ZConfig::Instance();
  if (version_) version_->SetText(Q(config.ManagerVersion));
  if (language_) {
    const int position = core::LanguageListPosition(config.LANGUAGE);
    if (position >= 0) language_->SelectItem(position);
    if (position == 0) LOG_INFO("Language is automatic.");
    if (position == 1) LOG_INFO("Language is chinese.");
    if (position == 2) LOG_INFO("Language is english.");
  }
  Init();
}

void MainFrameWnd::Init() {
  if (!coreInit_(ui_)) {
    ui_.ShowMessage("Initialization failed！", "", core::MessageIcon::Error);
    return;
  }
  initialised_ = true;
  ShowStatus();
  CreatePages();
  QPointer<MainFrameWnd> self(this);
  QTimer::singleShot(RealMs(2000), this, [self] {
    if (!self || !app::ZCoreManager::Instance().online() || !self->device_) return;
    self->device_->infoPage()->AutoFirmwareCheck();
  });
}

void MainFrameWnd::ShowStatus() {
  const core::ZConfig& config = core::ZConfig::Instance();
  if (config.OfflineMode) {
    if (connState_) {
      connState_->SetText("Mode");
      connState_->SetTextColor(QColor::fromRgba(0xFFFFFF66));
    }
    if (networkStatus_) {
      networkStatus_->SetText("Offline");
      networkStatus_->SetTextColor(QColor::fromRgba(0xFFFFFF66));
    }
    LOG_INFO("offline mode");
  } else if (app::ZCoreManager::Instance().online()) {
    if (connState_) {
      connState_->SetText("Online");
      connState_->SetTextColor(QColor::fromRgba(0xFF00FF00));
    }
    LOG_INFO("online mode");
  } else {
    if (connState_) {
      connState_->SetText("Offline");
      connState_->SetTextColor(QColor::fromRgba(0xFFFF0000));
    }
    LOG_INFO("offline mode");
  }
}

void MainFrameWnd::CreatePages() {
  const QRect place(kPageX, kPageY, kPageWidth, kPageHeight);
  core::ZCommSettings* comm = app::ZCoreManager::Instance().commSettings();
  static core::ZCommSettings fallback;  // only when the core has no settings of its own
  device_ = new DeviceWnd(comm ? *comm : fallback, ui_);
  device_->Create(this, "DEVICEWND", true, place);
  device_->infoPage()->SetReportListener([this](const device::DeviceReport& r) {
    if (!r.serialText.empty() && deviceSN_) {
      deviceSN_->SetText(Q(r.serialText));
      deviceSN_->SetTextColor(QColor::fromRgba(0xFF00FF00));
    }
    if (!r.voltageText.empty() && obdVoltage_) {
      obdVoltage_->SetText(Q(r.voltageText));
      obdVoltage_->SetTextColor(QColor::fromRgba(r.voltageInRange ? 0xFF00FF00 : 0xFFFF0000));
    }
  });
  // The page's buttons reach the adapter through the core's procedures, which use the
  // page's worker for the timed waits.
  procedures_ = std::make_unique<app::ZDeviceProcedures>(app::ZCoreManager::Instance(), ui_,
                                                         device_->infoPage()->opThread());
  procedures_->SetFirmwareWindow(
      [this](firmware::FirmwareJobSetup setup) { OpenFirmwareWindow(std::move(setup)); });
  device_->infoPage()->SetProcedures(procedures_.get());
  pages_[0] = device_;
  const core::ZConfig& config = core::ZConfig::Instance();
  app::ZCoreManager& coreManager = app::ZCoreManager::Instance();
  apps_ = new KRYAPPManagerWnd(coreManager.appManager(), ui_, {config.OfflineMode, config.OEMFlag},
                               coreManager.downloadService());
  GUIWnd* pages[] = {apps_, new SPSWnd(coreManager.spsManager()), new SaleWnd, new RemoteDiagWnd};
  const char* const names[] = {"KRYAPPMANAGERWND", "SPSWND", "SALEWND", "REMOTEDIAG"};
  for (int i = 1; i < kPageCount; ++i) {
    pages[i - 1]->Create(this, names[i - 1], true, place);
    pages_[static_cast<std::size_t>(i)] = pages[i - 1];
  }
  ShowPage(0);
}

void MainFrameWnd::ShowPage(int index) {
  for (int i = 0; i < kPageCount; ++i) {
    if (pages_[i]) pages_[i]->setVisible(i == index);
    if (auto* option = dynamic_cast<Option*>(navButtons_[i])) option->Selected(i == index, false);
  }
  if (pages_[index]) pages_[index]->raise();
}

void MainFrameWnd::Notify(TNotifyUI& msg) {
  if (msg.sType == "itemselect" && msg.pSender && msg.pSender == language_) {
    OnLanguageSelected(language_->GetCurSel());
    return;
  }
  WindowImplBase::Notify(msg);
}

void MainFrameWnd::OnClick(TNotifyUI& msg) {
  Control* sender = msg.pSender;
  if (!sender) return;
  for (int i = 0; i < kPageCount; ++i) {
    if (sender == navButtons_[i]) {
      if (i == 1 && apps_) apps_->Refresh();
      if (pages_[i]) ShowPage(i);
      return;
    }
  }
  if (sender == sysClose_) {
    OnSystemClose();
  } else if (sender == sysMin_ || sender == sysMenu_) {
    showMinimized();
  } else if (sender == update_) {
    CheckForUpdate();
  }
}

void MainFrameWnd::OnSystemClose() {
  hide();
  QCoreApplication::quit();
}

void MainFrameWnd::OnLanguageSelected(int position) {
  // A list left without a choice changes nothing.
  const std::optional<int> chosen = core::LanguageOfListPosition(position);
  if (!chosen) return;
  const int value = *chosen;
  core::ZConfig& config = core::ZConfig::Instance();
  if (value == config.LANGUAGE) return;
  // A language that did not reach the file would not apply at the next start either: say
  // so rather than offering a restart.
  if (!config.SaveLanguage(value)) {
    // The file still holds the old value: so do the flag and the list.
    language_->SelectItem(core::LanguageListPosition(config.LANGUAGE));
    ui_.ShowMessage("Failed to save the language to " + config.configFile + " !", "",
                    core::MessageIcon::Error);
    return;
  }
  if (ui_.ShowTip("CUSCFG", core::Text(core::TextId::kConfigSaved), 1) == 1) EndProgram(0);
}

void MainFrameWnd::OpenFirmwareWindow(firmware::FirmwareJobSetup setup) {
  // A modal child of the device page; the setup's `use` keeps the adapter for the job
  // until the window has closed.
  QWidget* owner = device_ ? static_cast<QWidget*>(device_->infoPage()) : this;
  ui::OpenFirmwareWindow(std::move(setup), owner);
}

void MainFrameWnd::CheckForUpdate() {
  apps::OnUpdateButton(ui_, core::ZConfig::Instance(), handover_);
}

}  // namespace ui
