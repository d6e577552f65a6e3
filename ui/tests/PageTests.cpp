// The main frame and the device pages, built from the real skins.
#include <QTest>
#include <filesystem>
#include <fstream>
#include <optional>

#include "app/ZCoreManager.h"
#include "core/ZConfig.h"
#include "platform/Ini.h"
#include "tests/support/ScriptedInteraction.h"
#include "ui/Controls.h"
#include "ui/DeviceBaseWnd.h"
#include "ui/DeviceConfigWnd.h"
#include "ui/DeviceInfoWnd.h"
#include "ui/DeviceWnd.h"
#include "ui/ListControl.h"
#include "ui/MainFrameWnd.h"
#include "ui/ProgramExit.h"
#include "ui/tests/UiTestSupport.h"

namespace {

const char kKryIni[] =
    "[KRY]\nLogLevel=0x01\nLogFlag=0\nUnlock=0\n"
    "[COMM]\nType=0\nPort=0\nDatarate=921600\nTimeout=3000\nDelay=0\nIPAddr=10.0.0.9\n"
    "[COMM0]\nType=0\nPort=0\nDatarate=921600\nTimeout=1000\nDelay=1\nName=USB\n"
    "[COMM2]\nType=2\nPort=5\nDatarate=57600\nTimeout=1200\nDelay=3\nName=Bluetooth\n"
    "[COMM4]\nType=4\nPort=6801\nDatarate=100\nTimeout=1400\nDelay=5\nIPAddr=192.168.9.1\nName=LAN\n";

QWidget* Child(QWidget* parent, const char* name) {
  return parent->findChild<QWidget*>(name, Qt::FindDirectChildrenOnly);
}

class PageTests : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    std::ofstream(uitest::KryIni()) << kKryIni;
    uitest::WriteConfig("LANGUAGE=255\nOfflineMode=1");
    exitCode_.reset();
    ui::SetProgramExit([this](int code) { exitCode_ = code; });
    script_ = std::make_unique<testing_support::ScriptedInteraction>();
    frame_ = new ui::MainFrameWnd(*script_);
    frame_->Create(nullptr, "OrbManager", false);
    frame_->show();
    QVERIFY(frame_->initialised());
  }
  void cleanup() {
    delete frame_;
    ui::SetProgramExit({});
  }

  void pagesAndNavigation() {
    const char* pages[] = {"DEVICEWND", "KRYAPPMANAGERWND", "SPSWND", "SALEWND", "REMOTEDIAG"};
    const char* buttons[] = {"btnNaviDevice", "btnNaviApps", "btnNaviSPS", "btnNaviSale",
                             "btnNaviRemoteDiag"};
    for (const char* page : pages) {
      QWidget* w = Child(frame_, page);
      QVERIFY2(w, page);
      QCOMPARE(w->geometry(), QRect(0, 70, 960, 570));
    }
    QVERIFY(Child(frame_, "DEVICEWND")->isVisible());
    for (int shown : {1, 4, 2, 0, 3, 0}) {
      uitest::Click(frame_, buttons[shown]);
      for (int i = 0; i < 5; ++i) QCOMPARE(Child(frame_, pages[i])->isVisible(), i == shown);
    }
    // Offline by configuration: "Mode" and "Offline" in yellow.
    QCOMPARE(frame_->FindControl("labelConnState")->text(), QString("Mode"));
    QCOMPARE(frame_->FindControl("labelNetworkStatus")->text(), QString("Offline"));
    QCOMPARE(frame_->FindControl("labelNetworkStatus")->look().text, QColor::fromRgba(0xFFFFFF66));
    QCOMPARE(frame_->FindControl("labelVersion")->text(), QString("1.0.0"));
  }

  void deviceTabs() {
    ui::DeviceWnd* device = frame_->devicePage();
    QWidget* info = Child(device, "InfoWnd");
    QWidget* config = Child(device, "DeviceConfigWnd");
    QCOMPARE(info->geometry(), QRect(180, 0, 779, 569));
    QVERIFY(info->isVisible() && !config->isVisible());
    ui::Control* tabInfo = device->FindControl("btnTabDeviceInfo");
    ui::Control* tabConfig = device->FindControl("btnTabDeviceConfig");
    QCOMPARE(tabInfo->look().bk, QColor::fromRgba(0xFF028CF1));
    QCOMPARE(tabInfo->look().text, QColor(Qt::white));

    uitest::Click(device, "btnTabDeviceConfig");
    QVERIFY(!info->isVisible() && config->isVisible());
    QCOMPARE(tabConfig->look().bk, QColor::fromRgba(0xFF028CF1));
    QCOMPARE(tabInfo->look().bk, QColor(Qt::white));

    // An extra tab gets its page once, and leaving it hides it again.
    uitest::Click(device, "btnTabDeviceHelp");
    uitest::Click(device, "btnTabDeviceHelp");
    QCOMPARE(int(device->extraPages().size()), 1);
    QWidget* extra = device->extraPages().front().second;
    QCOMPARE(extra->objectName(), QString("DeviceWndStaticPage"));
    QVERIFY(extra->isVisible() && !info->isVisible() && !config->isVisible());
    uitest::Click(device, "btnTabDeviceInfo");
    QVERIFY(!extra->isVisible() && info->isVisible());
    QCOMPARE(device->FindControl("btnTabDeviceHelp")->look().bk, QColor(Qt::white));
  }

  void languageChange_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("logLine");
    QTest::addColumn<bool>("unwritable");
    QTest::newRow("english, cancelled") << 2 << false << "1" << "Save language [english]." << false;
    QTest::newRow("chinese, confirmed") << 1 << true << "0" << "Save language [chinese]." << false;
    QTest::newRow("the active entry") << 0 << true << "255" << "" << false;
    QTest::newRow("file cannot be written") << 2 << true << "255" << "" << true;
  }
  void languageChange() {
    QFETCH(int, position);
    QFETCH(bool, ok);
    QFETCH(QString, written);
    QFETCH(QString, logLine);
    QFETCH(bool, unwritable);
    core::ZConfig& config = core::ZConfig::Instance();
    const std::string configFile = config.configFile;
    const std::string before = uitest::ReadFile(configFile);
    auto* languages = static_cast<ui::Combo*>(frame_->FindControl("cboLanguage"));
    script_->Answer({ok});
    if (unwritable) {
      // A folder where the file should be: no write succeeds, not even as root.
      const std::string folder = uitest::Root() + "/Config/Unwritable.ini";
      std::filesystem::create_directories(folder);
      config.configFile = folder;
      languages->ChooseItem(position);
      config.configFile = configFile;
      const auto shown = script_->shown();
      QCOMPARE(int(shown.size()), 1);
      QCOMPARE(QString::fromStdString(shown[0].kind), QString("message"));
      QCOMPARE(QString::fromStdString(shown[0].text),
               QString::fromStdString("Failed to save the language to " + folder + " !"));
      QVERIFY(shown[0].icon == core::MessageIcon::Error);
      QVERIFY(!exitCode_);
      // Nothing changed: the list shows the stored entry, and choosing it writes nothing.
      QCOMPARE(config.LANGUAGE, 255);
      QCOMPARE(languages->GetCurSel(), 0);
      QVERIFY(uitest::ReadFile(configFile) == before);
      return;
    }
    languages->ChooseItem(position);
    const std::string value =
        platform::ReadProfileString("CONFIG", "LANGUAGE", "", 16, configFile);
    QCOMPARE(QString::fromStdString(value), written);
    const auto tips = script_->shown();
    if (logLine.isEmpty()) {
      QVERIFY(uitest::ReadFile(configFile) == before);
      QVERIFY(tips.empty());
      QVERIFY(!exitCode_);
      return;
    }
    QVERIFY(QString::fromStdString(uitest::ReadFile(uitest::Root() + "/Kavora.log")).contains(logLine));
    QCOMPARE(int(tips.size()), 1);
    QCOMPARE(QString::fromStdString(tips[0].windowName), QString("CUSCFG"));
    QCOMPARE(QString::fromStdString(tips[0].text), QString("Config was saved !"));
    QCOMPARE(exitCode_.has_value(), ok);
    if (ok) QCOMPARE(*exitCode_, 0);
  }

  void commSettingsSavedThroughThePage_data() {
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QString>("type");
    QTest::addColumn<bool>("ends");
    QTest::newRow("saved and ended") << QList<bool>{true, true} << "4" << true;
    QTest::newRow("saved, keeps running") << QList<bool>{true, false} << "4" << false;
    QTest::newRow("cancelled") << QList<bool>{false} << "0" << false;
  }
  void commSettingsSavedThroughThePage() {
    QFETCH(QList<bool>, answers);
    QFETCH(QString, type);
    QFETCH(bool, ends);
    ui::DeviceConfigWnd* page = frame_->devicePage()->configPage();
    auto* typeList = page->Find<ui::Combo>("cboConnType");
    QCOMPARE(typeList->GetCurSel(), 1);  // stored type 0: USB
    QVERIFY(!page->FindControl("edtPort")->IsEnabled());
    typeList->ChooseItem(5);  // LAN
    QVERIFY(page->FindControl("edtIPAddr")->IsEnabled());
    QCOMPARE(page->FindControl("edtIPAddr")->text(), QString("192.168.9.1"));
    page->FindControl("edtIPAddr")->SetText("192.168.1.20");
    page->FindControl("edtPort")->SetText("5000");
    page->Find<ui::Combo>("cboLogLevel")->SelectItem(5);
    for (bool a : answers) script_->Answer({a});
    uitest::Click(page, "btnSave");
    const std::string ini = uitest::KryIni();
    QCOMPARE(QString::fromStdString(platform::ReadProfileString("COMM", "Type", "", 16, ini)), type);
    if (type == "4") {
      QCOMPARE(QString::fromStdString(platform::ReadProfileString("COMM", "IPAddr", "", 64, ini)),
               QString("192.168.1.20"));
      QCOMPARE(QString::fromStdString(platform::ReadProfileString("COMM", "Port", "", 16, ini)),
               QString("5000"));
      QCOMPARE(QString::fromStdString(platform::ReadProfileString("COMM", "Datarate", "", 16, ini)),
               QString("100M"));
      QCOMPARE(QString::fromStdString(platform::ReadProfileString("KRY", "LogLevel", "", 16, ini)),
               QString("0xff"));
    } else {
      QVERIFY(uitest::ReadFile(ini) == kKryIni);
    }
    QCOMPARE(exitCode_.has_value(), ends);
  }

  void deviceReportRows() {
    ui::DeviceInfoWnd* info = frame_->devicePage()->infoPage();
    auto* list = info->Find<ui::List>("lstDevInfo");
    // Without an adapter binding: the notice of an adapter that is not connected.
    QCOMPARE(list->GetCount(), 1);
    QCOMPARE(list->GetItemAt(0)->GetText(0), QString("Device is not connected"));
    QCOMPARE(list->GetItemAt(0)->GetText(1), QString("(USB)"));

    device::DeviceReport report;
    report.rows = {{device::ReportRow::Kind::Header, "Hardware", ""},
                   {device::ReportRow::Kind::Value, "Serial Number", "9A1B1C2D3E"},
                   {device::ReportRow::Kind::Value, "Interface", "USB"}};
    report.connectionImage = "conn_usb.png";
    report.connectionTip = "FTDI\r\nPort 0";
    report.serialText = "9A1B1C2D3E";
    report.voltageText = " 12.34 V";
    info->ShowReport(report);
    QCOMPARE(list->GetCount(), 3);
    QCOMPARE(list->GetItemAt(0)->look().bkImage.file, QString("devinfolist.png"));
    QCOMPARE(list->GetItemAt(0)->minimumHeight(), 32);
    QCOMPARE(list->GetItemAt(1)->GetText(1), QString("9A1B1C2D3E"));
    QCOMPARE(info->FindControl("deviceConnImage")->widget()->toolTip(), QString("FTDI\r\nPort 0"));
    QCOMPARE(frame_->FindControl("labelDeviceSN")->text(), QString("9A1B1C2D3E"));
    QCOMPARE(frame_->FindControl("labelOBDVoltage")->text(), QString(" 12.34 V"));
  }

 private:
  std::unique_ptr<testing_support::ScriptedInteraction> script_;
  ui::MainFrameWnd* frame_ = nullptr;
  std::optional<int> exitCode_;
};

}  // namespace

int RunPageTests(int argc, char** argv) {
  PageTests tests;
  return QTest::qExec(&tests, argc, argv);
}

#include "PageTests.moc"
