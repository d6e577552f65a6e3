// The device information page of the real program against the adapter simulator: the
// report it shows and the procedures its buttons reach.
#include <QTest>

#include "core/ProgramTexts.h"
#include "platform/Clock.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/VciSim.h"
#include "ui/DeviceInfoWnd.h"
#include "ui/DeviceWnd.h"
#include "ui/ListControl.h"
#include "ui/MainFrameWnd.h"
#include "ui/tests/UiTestSupport.h"

namespace {

class DeviceInfoPageTests : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() {
    delete frame_;
    sim_.reset();
    platform::SetClock(nullptr);
    ::unsetenv("KAVORA_TIME_SCALE");
  }

  // The procedures behind the buttons are the core's own tests, the reset and the firmware
  // window seen from the desktop the end-to-end cases'; here the page shows the report.
  void theReportAndTheButtons() {
    ::setenv("KAVORA_TIME_SCALE", "0.01", 1);
    platform::SetClock(&clock_);
    sim_ = std::make_unique<testing_support::VciSim>(std::vector<std::string>{"--module"});
    QVERIFY(sim_->ok());
    sim_->WriteKryIni(uitest::KryIni());
    uitest::WriteConfig("LANGUAGE=1\nOfflineMode=1");
    frame_ = uitest::ShowNew<ui::MainFrameWnd>("OrbManager", script_);
    QVERIFY(frame_->initialised());
    ui::DeviceInfoWnd* info = frame_->devicePage()->infoPage();
    auto* list = info->Find<ui::List>("lstDevInfo");
    // No catalogue offline: the firmware counts as new.
    const QStringList shown = {QString::number(list->GetCount()),
                               list->GetItemAt(2)->GetText(1),
                               info->FindControl("deviceConnImage")->widget()->toolTip(),
                               frame_->FindControl("labelDeviceSN")->text(),
                               frame_->FindControl("labelOBDVoltage")->text(),
                               info->FindControl("btnFWUpdate")->text()};
    QCOMPARE(shown, (QStringList{"17", "K9ABC00258",
                                 "LAN\r\n" + QString::fromStdString(sim_->address()) + " : 6800",
                                 "K9ABC00258", " 12.34 V", "Update Firmware +"}));

    // A button reaches its procedure: a cancelled unlock only asks.
    script_.Answer({false});
    uitest::Click(info, "btnUnLockDevice");
    QCOMPARE(script_.Texts("tip"),
             std::vector<std::string>{core::Text(core::TextId::kUnlockQuestion)});
  }

 private:
  platform::ScaledClock clock_{0.01};
  std::unique_ptr<testing_support::VciSim> sim_;
  testing_support::ScriptedInteraction script_;
  ui::MainFrameWnd* frame_ = nullptr;
};

}  // namespace

UITEST_RUNNER(DeviceInfoPageTests)

#include "DeviceInfoPageTests.moc"
