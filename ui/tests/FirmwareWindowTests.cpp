// The firmware window against the adapter simulator (with its DoIP module) and the images
// an earlier online run kept, with the clock scaled.
#include <stdlib.h>

#include <QTest>

#include "core/ZConfig.h"
#include "device/ZKRYDevice.h"
#include "device/ZKRYSdk.h"
#include "firmware/ZKRYFirmwareManager.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "tests/support/FastPausesClock.h"
#include "tests/support/KeptFirmware.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/VciSim.h"
#include "ui/Controls.h"
#include "ui/HWControlWnd.h"
#include "ui/tests/UiTestSupport.h"

namespace {

using testing_support::VciSim;

class FirmwareWindowTests : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    ::setenv("KAVORA_TIME_SCALE", "0.02", 1);  // the simulator's waits
    platform::SetClock(&clock_);
    uitest::WriteConfig("OfflineMode=0");
    core::ZConfig& config = core::ZConfig::Instance();
    config.KRYFwUp = scratch_ / "kry-fwup";
    config.KRYFwUpCheckSum = testing_support::WriteModuleTool(config.KRYFwUp);
    platform::CreateFolders(scratch_ / "Download");
    QVERIFY(testing_support::WriteKeptFirmware(scratch_ / "Download", true));
    QVERIFY(catalogue_.Load(scratch_ / "Download/fws.xml"));
    uitest::ForgetOpenedAddresses();
    testing_support::ScriptedInteraction quiet;
    QVERIFY(device::ZKRYSdk::Instance().Load(quiet));
  }
  void cleanupTestCase() {
    platform::SetClock(nullptr);
    ::unsetenv("KAVORA_TIME_SCALE");
  }

  // The rows from the adapter and the catalogue, the ticks and links bound to the job, then
  // the full run: the VCI is written, the module updated, and the rows show the new
  // versions; closing is refused meanwhile.
  void rowsTicksLinksAndTheRun() {
    VciSim sim({"--module", "--firmware-write-ms", "3000", "--upgrade-ms", "20000"});
    QVERIFY2(sim.ok(), sim.output().c_str());
    sim.WriteKryIni(uitest::KryIni());
    device::ZKRYDevice dev;
    firmware::FirmwareJobSetup setup{
        dev,    catalogue_, core::ZConfig::Instance(), {scratch_ / "Download", false}, script_,
        0x0301, 0x0401};
    QPointer<ui::HWControlWnd> window =
        uitest::ShowNew<ui::HWControlWnd>("FWUPWND", std::move(setup));
    QCOMPARE(window->FindControl("btnVCINewVer")->text(), QString("2.0.0.0"));
    uitest::Click(window, "btnVCINewVer");
    uitest::Click(window, "btnSysNewVer");
    uitest::Click(window, "btnUpdateLog");
    QTRY_COMPARE(uitest::OpenedAddresses(),
                 std::string("http://127.0.0.1:1/KRY.bin\nhttp://127.0.0.1:1/KRY.bin\n"
                             "http://127.0.0.1:1/o.bin"));
    uitest::Click(window, "checkSysUpdate");
    QVERIFY(!window->job().state().system.ticked);
    uitest::Click(window, "checkSysUpdate");
    auto* bar = window->Find<ui::Progress>("UpdateProgress");

    uitest::Click(window, "btnUpdateFW");
    QVERIFY2(!window->FindControl("btnClose")->IsEnabled(), "Close looks as refused as it is");
    uitest::Click(window, "btnClose");
    window->close();  // the window manager's close as well
    QVERIFY2(window && window->isVisible(), "closing is refused during the run");
    uitest::Click(window, "checkVCIUpdate");
    QVERIFY2(window->Find<ui::Option>("checkVCIUpdate")->IsSelected(), "ticks stay during the run");

    QTRY_VERIFY_WITH_TIMEOUT(window->job().state().runs == 1, 60000);
    // The job's state is ahead of the window, which follows on the UI thread.
    QTRY_COMPARE(window->FindControl("textTip")->text(), QString("Update Completed"));
    QTRY_VERIFY(window->FindControl("btnClose")->IsEnabled());
    QTRY_COMPARE(window->FindControl("labelVCICurVer")->text(), QString("2.0.0.0"));
    QTRY_COMPARE(window->FindControl("labelSysCurVer")->text(), QString("V1.1.0"));
    QCOMPARE(bar->GetValue(), bar->GetMaxValue());
    // Nothing is left to write until the user ticks a row again.
    QVERIFY(!window->FindControl("btnUpdateFW")->IsEnabled());
    uitest::Click(window, "checkSysUpdate");
    QVERIFY(window->FindControl("btnUpdateFW")->IsEnabled());

    uitest::Click(window, "btnClose");
    QVERIFY(!window->isVisible());
    QVERIFY(!dev.connected());
  }

 private:
  // Read time-outs at a fifth (enough for a loaded machine), pauses at a fiftieth like the
  // simulator's.
  testing_support::FastPausesClock clock_{0.5, 0.02};  // replies heard on a loaded machine
  testing_support::TempFolder scratch_;
  firmware::ZKRYFirmwareManager catalogue_;
  testing_support::ScriptedInteraction script_;
};

}  // namespace

UITEST_RUNNER(FirmwareWindowTests)

#include "FirmwareWindowTests.moc"
