// The firmware window against the adapter simulator (with its DoIP module) and the
// loopback file server that offers the images, with the clock scaled.
#include <stdlib.h>

#include <QTest>
#include <filesystem>

#include "codec/MD5.h"
#include "core/ZConfig.h"
#include "device/ZKRYDevice.h"
#include "device/ZKRYSdk.h"
#include "firmware/ZKRYFirmwareManager.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "tests/support/FastPausesClock.h"
#include "tests/support/Md5sum.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/ServedFolder.h"
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
    server_ = std::make_unique<testing_support::ServedFolder>(VciSim::UniqueAddress());
    QVERIFY(server_->started());
    const std::string images = scratch_ / "images";
    platform::CreateFolders(images);
    platform::CreateFolders(server_->files() / "fw");
    platform::WriteFile(images + "/release.txt",
                        "[release]\nopenwrt=V1.1.0\nuboot=2020.04\ndevice=DOIPMOD\n[checksum]\n"
                        "openwrt=none\n[module]\nversion=V1.1.0\ndate=20250102\n");
    for (const std::string& make :
         {" --make-vci-image " + server_->files() / "fw/KRY.bin" + " KRYVCI 2.0.0.0 2025-01-02",
          " --make-doip-image " + server_->files() / "fw/openwrt.bin" + " " + images +
              "/release.txt"})
      QCOMPARE(std::system((VCI_SIM_PATH + make + " >/dev/null").c_str()), 0);
    platform::WriteFile(scratch_ / "kry-fwup", "#!/bin/sh\n# module update tool\n");
    testing_support::ScriptedInteraction quiet;
    QVERIFY(device::ZKRYSdk::Instance().Load(quiet));
  }
  void cleanupTestCase() {
    platform::SetClock(nullptr);
    ::unsetenv("KAVORA_TIME_SCALE");
  }
  void init() {
    uitest::WriteConfig("OfflineMode=0");
    core::ZConfig& config = core::ZConfig::Instance();
    config.KRYFwUp = scratch_ / "kry-fwup";
    config.KRYFwUpCheckSum = testing_support::Md5sumOf(config.KRYFwUp);
    std::filesystem::remove_all(scratch_ / "Download");
    platform::CreateFolders(scratch_ / "Download");
    WriteCatalogue("2.0.0.0");
    uitest::ForgetOpenedAddresses();
    script_.Clear();
  }
  // Closed windows go now, so none is left to own the next one.
  void cleanup() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

  // Both rows from the adapter and the catalogue; a row is ticked when its version differs,
  // ticks follow the boxes, and the version links open the change log unless in OEM mode.
  // An OEM text of two characters or more prefixes the versions.
  void rowsTicksAndLinks_data() {
    QTest::addColumn<QString>("catalogueVersion");
    QTest::addColumn<QString>("oemString");
    QTest::addColumn<bool>("oemFlag");
    QTest::newRow("newer VCI firmware") << QString("2.0.0.0") << QString() << false;
    QTest::newRow("VCI current, OEM") << QString("1.2.3.4") << QString("X-") << true;
    QTest::newRow("one-character OEM text") << QString("1.2.3.4") << QString("X") << false;
  }
  void rowsTicksAndLinks() {
    QFETCH(QString, catalogueVersion);
    QFETCH(QString, oemString);
    QFETCH(bool, oemFlag);
    const bool vciTicked = catalogueVersion != "1.2.3.4";
    const QString prefix = oemString.size() >= 2 ? oemString : QString();
    VciSim sim({"--module"});
    QVERIFY2(sim.ok(), sim.output().c_str());
    sim.WriteKryIni(uitest::KryIni());
    WriteCatalogue(catalogueVersion.toStdString());
    core::ZConfig::Instance().OEMString = oemString.toStdString();
    core::ZConfig::Instance().OEMFlag = oemFlag;
    device::ZKRYDevice dev;
    ui::HWControlWnd* window = Open(dev);

    QCOMPARE(window->FindControl("labelVCICurVer")->text(), prefix + "1.2.3.4");
    QCOMPARE(window->FindControl("btnVCINewVer")->text(), prefix + catalogueVersion);
    auto* vciCheck = window->Find<ui::Option>("checkVCIUpdate");
    auto* sysCheck = window->Find<ui::Option>("checkSysUpdate");
    QCOMPARE(vciCheck->IsSelected(), vciTicked);
    QVERIFY(sysCheck->IsSelected());

    uitest::Click(window, "checkVCIUpdate");
    uitest::Click(window, "checkSysUpdate");
    QCOMPARE(vciCheck->IsSelected(), !vciTicked);
    QVERIFY(!sysCheck->IsSelected());
    QCOMPARE(window->job().state().vci.ticked, !vciTicked);
    QVERIFY(!window->job().state().system.ticked);

    uitest::Click(window, "btnVCINewVer");
    uitest::Click(window, "btnSysNewVer");
    uitest::Click(window, "btnUpdateLog");
    const std::string links =
        "http://logs.invalid/doip\nhttp://logs.invalid/vci\nhttp://logs.invalid/vci";
    if (oemFlag) QTest::qWait(100);  // nothing arrives
    QTRY_COMPARE(uitest::OpenedAddresses(), oemFlag ? std::string() : links);
    uitest::Click(window, "btnClose");
    QVERIFY(!window->isVisible());
    QVERIFY(!dev.connected());
  }

  // The full run through the window: the images come from the server, the VCI is written,
  // the module updated, and the rows show the new versions; closing is refused meanwhile.
  void updateRunThroughTheWindow() {
    VciSim sim({"--module", "--firmware-write-ms", "3000", "--upgrade-ms", "20000"});
    QVERIFY2(sim.ok(), sim.output().c_str());
    sim.WriteKryIni(uitest::KryIni());
    device::ZKRYDevice dev;
    QPointer<ui::HWControlWnd> window = Open(dev);
    auto* bar = window->Find<ui::Progress>("UpdateProgress");

    uitest::Click(window, "btnUpdateFW");
    QVERIFY2(!window->FindControl("btnClose")->IsEnabled(), "Close looks as refused as it is");
    uitest::Click(window, "btnClose");
    window->close();  // the window manager's close as well
    QVERIFY2(window && window->isVisible(), "closing is refused during the run");
    uitest::Click(window, "checkVCIUpdate");
    QVERIFY2(window->Find<ui::Option>("checkVCIUpdate")->IsSelected(), "ticks stay during the run");

    QTRY_VERIFY_WITH_TIMEOUT(window->job().state().runs == 1, 60000);
    const firmware::FirmwareJobState s = window->job().state();
    QVERIFY2(s.lastRun.ok(), s.status.c_str());
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
  }

 private:
  void WriteCatalogue(const std::string& vciVersion) {
    const std::string fws =
        "<FWS><ITEM><ID>1</ID><PID>769</PID><NAME>VCI firmware</NAME><VERSION>" + vciVersion +
        "</VERSION><MD5>" + *codec::FileMD5Text(server_->files() / "fw/KRY.bin") + "</MD5><URL>" +
        server_->Url("/fw/KRY.bin") +
        "</URL><UPDATELOGURL>http://logs.invalid/vci</UPDATELOGURL></ITEM>"
        "<ITEM><ID>2</ID><PID>1025</PID><NAME>DoIP system</NAME><VERSION>V1.1.0</VERSION><MD5>" +
        *codec::FileMD5Text(server_->files() / "fw/openwrt.bin") + "</MD5><URL>" +
        server_->Url("/fw/openwrt.bin") +
        "</URL><UPDATELOGURL>http://logs.invalid/doip</UPDATELOGURL></ITEM></FWS>";
    platform::WriteFile(scratch_ / "fws.xml", fws);
    catalogue_ = firmware::ZKRYFirmwareManager();
    QVERIFY(catalogue_.Load(scratch_ / "fws.xml"));
  }
  ui::HWControlWnd* Open(device::ZKRYDevice& dev) {
    firmware::FirmwareJobSetup setup{
        dev,    catalogue_, core::ZConfig::Instance(), {scratch_ / "Download", true}, script_,
        0x0301, 0x0401};
    return uitest::ShowNew<ui::HWControlWnd>("FWUPWND", std::move(setup));
  }
  // Read time-outs at a fifth (enough for a loaded machine), pauses at a fiftieth like the
  // simulator's.
  testing_support::FastPausesClock clock_{0.5, 0.02};  // replies heard on a loaded machine
  testing_support::TempFolder scratch_;
  std::unique_ptr<testing_support::ServedFolder> server_;
  firmware::ZKRYFirmwareManager catalogue_;
  testing_support::ScriptedInteraction script_;
};

}  // namespace

UITEST_RUNNER(FirmwareWindowTests)

#include "FirmwareWindowTests.moc"
