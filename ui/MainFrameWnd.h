#pragma once
// The main window: navigation bar with five pages, system buttons, the update button, the
// language list and the status texts. Its creation runs the application core's start-up
// and then creates the pages.
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "app/ZDeviceProcedures.h"
#include "core/Interaction.h"
#include "firmware/FirmwareUpdateJob.h"
#include "ui/WindowImplBase.h"

namespace ui {

class Combo;
class DeviceWnd;
class KRYAPPManagerWnd;

class MainFrameWnd : public WindowImplBase {
 public:
  static constexpr int kPageCount = 5;
  static constexpr int kPageX = 0, kPageY = 70, kPageWidth = 960, kPageHeight = 570;

  // The application core's start-up, replaceable for tests.
  using CoreInit = std::function<bool(core::Interaction&)>;
  // Starts the updater and ends the program (the update button); replaceable for tests.
  using Handover = std::function<void(const std::string& program, const std::string& parameters)>;

  explicit MainFrameWnd(core::Interaction& ui, CoreInit coreInit = {});
  ~MainFrameWnd() override;

  // The program-wide reference (the device report sets the serial and voltage labels).
  static MainFrameWnd* Instance();

  void SetHandover(Handover handover) { handover_ = std::move(handover); }
  DeviceWnd* devicePage() const { return device_; }
  // The device page's procedures, once the pages exist.
  app::ZDeviceProcedures* deviceProcedures() const { return procedures_.get(); }
  KRYAPPManagerWnd* appsPage() const { return apps_; }
  QWidget* page(int index) const { return pages_[static_cast<std::size_t>(index)]; }
  bool initialised() const { return initialised_; }

 protected:
  QString GetSkinFile() override { return "KavoraG.xml"; }
  QString GetWindowClassName() const override { return "MainFrameWndUI"; }
  void InitWindow() override;
  void Notify(TNotifyUI& msg) override;
  void OnClick(TNotifyUI& msg) override;
  void OnSystemClose() override;

 private:
  void Init();
  void ShowStatus();
  void CreatePages();
  void ShowPage(int index);
  void OnLanguageSelected(int position);
  void CheckForUpdate();
  // Shows the firmware window (HWControlWnd) for the job, modally.
  void OpenFirmwareWindow(firmware::FirmwareJobSetup setup);

  core::Interaction& ui_;
  CoreInit coreInit_;
  Handover handover_;
  std::array<QWidget*, kPageCount> pages_{};
  std::array<Control*, kPageCount> navButtons_{};
  DeviceWnd* device_ = nullptr;
  std::unique_ptr<app::ZDeviceProcedures> procedures_;
  KRYAPPManagerWnd* apps_ = nullptr;
  Combo* language_ = nullptr;
  Control *connState_ = nullptr, *networkStatus_ = nullptr, *version_ = nullptr,
          *deviceSN_ = nullptr, *obdVoltage_ = nullptr;
  Control *sysClose_ = nullptr, *sysMin_ = nullptr, *sysMenu_ = nullptr, *update_ = nullptr;
  bool initialised_ = false;
};

}  // namespace ui
