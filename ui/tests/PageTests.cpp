// The main frame and the device pages, built from the real skins.
#include <QDir>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <optional>

#include "app/ZCoreManager.h"
#include "core/ZConfig.h"
#include "history/UpdateHistory.h"
#include "platform/Ini.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/ServedFolder.h"
#include "tests/support/TempFolder.h"
#include "ui/Controls.h"
#include "ui/DeviceBaseWnd.h"
#include "ui/DeviceConfigWnd.h"
#include "ui/DeviceHistoryWnd.h"
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
    "[COMM4]\nType=4\nPort=6801\nDatarate=100\nTimeout=1400\nDelay=5\nIPAddr=192.168.9.1\nName="
    "LAN\n";

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
    StartFrame();
    QVERIFY(frame_->initialised());
  }
  void cleanup() {
    delete frame_;
    frame_ = nullptr;
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
    // The status colours of the start-up and the report read on the title bar.
    for (unsigned colour : {0xFFFFFF66u, 0xFF00FF00u, 0xFFFF0000u}) {
      for (const char* label : {"labelConnState", "labelOBDVoltage"})
        frame_->FindControl(label)->SetTextColor(QColor::fromRgba(colour));
      UITEST_VERIFY_READABLE(frame_, "status colours");
    }
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
    UITEST_VERIFY_READABLE(device, "device tabs");

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

  // A fixed page like the settings page, listing the records of the adapter read last.
  void historyPage() {
    ui::DeviceWnd* device = frame_->devicePage();
    ui::DeviceHistoryWnd* page = device->historyPage();
    QCOMPARE(page->objectName(), QString("DeviceHistoryWnd"));
    auto* list = page->Find<ui::List>("lstHistory");
    ui::Control* notice = page->FindControl("labelHistoryEmpty");

    uitest::Click(device, "btnTabDeviceHistory");
    QVERIFY(page->isVisible() && !Child(device, "InfoWnd")->isVisible());
    QCOMPARE(device->FindControl("btnTabDeviceHistory")->look().bk, QColor::fromRgba(0xFF028CF1));
    QCOMPARE(list->GetCount(), 0);
    QCOMPARE(notice->text(), QString("No adapter has been read yet."));

    history::UpdateHistory& store = history::ProgramHistory();  // in the test's root folder
    QVERIFY(store.Add({"", "HISTPAGE01", 0x0301, history::kVciFirmware, "", "1.0", "2.0", true,
                       "Update Completed"}));
    QVERIFY(store.Add({"", "HISTPAGE02", 0x0301, history::kDeviceReset, "", "", "", true, ""}));
    QVERIFY(store.Add({"", "HISTPAGE01", 0x0401, history::kDoIPSystem, "", "1.0", "1.0", false,
                       "Checksum firmware failed！"}));
    device::DeviceReport report;
    report.serialText = "HISTPAGE01";
    device->infoPage()->ShowReport(report);
    uitest::Click(device, "btnTabDeviceHistory");
    QCOMPARE(list->GetCount(), 2);
    const ui::ListTextElement* failed = list->GetItemAt(0);
    QCOMPARE(failed->GetText(1) + " " + failed->GetText(4) + " " + failed->GetText(5),
             QString("DoIP system update Failed Checksum firmware failed！"));
    QCOMPARE(failed->look().text, QColor::fromRgba(ui::DeviceHistoryWnd::kFailedText));
    QCOMPARE(list->GetItemAt(1)->GetText(4), QString("Done"));
    QVERIFY(!notice->IsVisible());

    uitest::Click(device, "btnTabDeviceConfig");
    QVERIFY(!page->isVisible());
    QCOMPARE(device->FindControl("btnTabDeviceHistory")->look().bk, QColor(Qt::white));

    // A history cut short on purpose: the program starts all the same, with a new one.
    testing_support::TempFolder other;
    platform::WriteFile(other / "History.db", "SQLite format 3");
    core::ZConfig::Instance().root = other.path();
    StartFrame();
    QVERIFY(frame_->initialised());
    QVERIFY(history::ProgramHistory().Add({"", "HISTPAGE01", 0x0301, history::kUnlock}));
    QVERIFY(!QDir(QString::fromStdString(other.path()))
                 .entryList({"History.db.damaged-*"}, QDir::Files)
                 .isEmpty());
  }

  void languageChange_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("logLine");
    QTest::addColumn<bool>("unwritable");
    QTest::newRow("english, cancelled") << 2 << false << "1"
                                        << "Save language [english]." << false;
    QTest::newRow("chinese, confirmed") << 1 << true << "0"
                                        << "Save language [chinese]." << false;
    QTest::newRow("the active entry") << 0 << true << "255"
                                      << "" << false;
    QTest::newRow("no entry chosen") << -1 << true << "255"
                                     << "" << false;
    QTest::newRow("file cannot be written") << 2 << true << "255"
                                            << "" << true;
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
    const std::string value = platform::ReadProfileString("CONFIG", "LANGUAGE", "", 16, configFile);
    QCOMPARE(QString::fromStdString(value), written);
    const auto tips = script_->shown();
    if (logLine.isEmpty()) {
      QVERIFY(uitest::ReadFile(configFile) == before);
      QVERIFY(tips.empty());
      QVERIFY(!exitCode_);
      return;
    }
    QVERIFY(
        QString::fromStdString(uitest::ReadFile(uitest::Root() + "/Kavora.log")).contains(logLine));
    QCOMPARE(int(tips.size()), 1);
    QCOMPARE(QString::fromStdString(tips[0].windowName), QString("CUSCFG"));
    QCOMPARE(QString::fromStdString(tips[0].text), QString("Config was saved !"));
    QCOMPARE(exitCode_.has_value(), ok);
    if (ok) QCOMPARE(*exitCode_, 0);
  }

  void commSettingsSavedThroughThePage_data() {
    QTest::addColumn<QString>("storedType");
    QTest::addColumn<int>("position");  // the list entry chosen; -1 leaves the list alone
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("port");
    QTest::addColumn<int>("logLevel");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QStringList>("written");  // "SECTION/Key=value"; empty: file untouched
    QTest::addColumn<bool>("unsupported");
    QTest::addColumn<bool>("ends");
    const QStringList lan{"COMM/Type=4", "COMM/IPAddr=192.168.1.20", "COMM/Port=5000",
                          "COMM/Datarate=100M", "KRY/LogLevel=0xff"};
    QTest::newRow("LAN, saved and ended")
        << "0" << 5 << "192.168.1.20"
        << "5000" << 5 << QList<bool>{true, true} << lan << false << true;
    QTest::newRow("LAN, saved, keeps running")
        << "0" << 5 << "192.168.1.20"
        << "5000" << 5 << QList<bool>{true, false} << lan << false << false;
    QTest::newRow("cancelled") << "0" << 5 << "192.168.1.20"
                               << "5000" << 5 << QList<bool>{false} << QStringList() << false
                               << false;
    QTest::newRow("Bluetooth on port 7")
        << "0" << 3 << ""
        << "7" << 3 << QList<bool>{true, false}
        << QStringList{"COMM/Type=2",       "COMM/Port=7",  "COMM/Datarate=57600",
                       "COMM/Timeout=1200", "COMM/Delay=3", "KRY/LogLevel=0x03"}
        << false << false;
    // A type the list has no entry for stays as it is, after the warning.
    QTest::newRow("stored type 7")
        << "7" << -1 << ""
        << "" << -1 << QList<bool>{true, false} << QStringList{"COMM/Type=7", "KRY/LogLevel=0x01"}
        << true << false;
  }
  void commSettingsSavedThroughThePage() {
    QFETCH(QString, storedType);
    QFETCH(int, position);
    QFETCH(QString, address);
    QFETCH(QString, port);
    QFETCH(int, logLevel);
    QFETCH(QList<bool>, answers);
    QFETCH(QStringList, written);
    QFETCH(bool, unsupported);
    QFETCH(bool, ends);
    std::string stored = kKryIni;
    if (storedType != "0") {
      stored.replace(stored.find("[COMM]\nType=0"), 13, "[COMM]\nType=" + storedType.toStdString());
      std::ofstream(uitest::KryIni()) << stored;
      StartFrame();  // the settings are read at start-up
    }
    ui::DeviceConfigWnd* page = frame_->devicePage()->configPage();
    auto* typeList = page->Find<ui::Combo>("cboConnType");
    QCOMPARE(typeList->GetCurSel(), storedType == "0" ? 1 : -1);  // 0: USB; 7: no entry
    // Each caption looks as enabled as its field.
    const auto captionsFollowFields = [page] {
      for (const auto& [label, field] :
           {std::pair{"labelPort", "edtPort"}, {"labelIPAddr", "edtIPAddr"}})
        QCOMPARE(page->FindControl(label)->IsEnabled(), page->FindControl(field)->IsEnabled());
    };
    if (storedType == "0") QVERIFY(!page->FindControl("edtPort")->IsEnabled());
    captionsFollowFields();
    if (position >= 0) typeList->ChooseItem(position);
    captionsFollowFields();
    if (position == 5) {
      QVERIFY(page->FindControl("edtIPAddr")->IsEnabled());
      QCOMPARE(page->FindControl("edtIPAddr")->text(), QString("192.168.9.1"));
    }
    if (position == 3) {
      QVERIFY(page->FindControl("edtPort")->IsEnabled());
      QVERIFY(!page->FindControl("edtIPAddr")->IsEnabled());
      QCOMPARE(page->FindControl("edtPort")->text(), QString("5"));  // the Bluetooth record's
    }
    if (!address.isEmpty()) page->FindControl("edtIPAddr")->SetText(address);
    if (!port.isEmpty()) page->FindControl("edtPort")->SetText(port);
    if (logLevel >= 0) page->Find<ui::Combo>("cboLogLevel")->SelectItem(logLevel);
    for (bool a : answers) script_->Answer({a});
    uitest::Click(page, "btnSave");
    const std::string ini = uitest::KryIni();
    if (written.isEmpty()) QVERIFY(uitest::ReadFile(ini) == stored);
    for (const QString& entry : written) {
      const QString key = entry.section('=', 0, 0);
      const std::string value = platform::ReadProfileString(
          key.section('/', 0, 0).toStdString(), key.section('/', 1).toStdString(), "", 64, ini);
      QCOMPARE(key + "=" + QString::fromStdString(value), entry);
    }
    bool warned = false;
    for (const auto& shown : script_->shown())
      if (shown.kind == "tip" && shown.windowName == "A#AEAAE") {
        warned = true;
        QCOMPARE(QString::fromStdString(shown.text),
                 QString("Unsupported communication interface!"));
        QCOMPARE(shown.value, 0);
      }
    QCOMPARE(warned, unsupported);
    QCOMPARE(exitCode_.has_value(), ends);
    if (!unsupported) return;
    // The page shown again after the save still has no entry for the type.
    QCOMPARE(typeList->GetCurSel(), -1);
  }

  void startUp_data() {
    QTest::addColumn<QString>("configLines");  // {server}: the loopback server's address
    QTest::addColumn<bool>("coreFails");
    QTest::addColumn<QString>("state");
    QTest::addColumn<quint32>("colour");
    QTest::addColumn<int>("languagePosition");
    const QString urls =
        "UpdateURL={server}/update.ini\nApplicationURL={server}/APPS.xml\n"
        "FirmwareURL={server}/fws.xml\nSPSListURL={server}/sps.xml";
    QTest::newRow("initialisation fails") << "LANGUAGE=1\nOfflineMode=1" << true << "" << 0u << 2;
    QTest::newRow("online") << "LANGUAGE=0\nOfflineMode=0\n" + urls << false << "Online"
                            << 0xFF00FF00u << 1;
    // Nothing listens on that port: the run goes offline.
    QTest::newRow("server not answering")
        << "LANGUAGE=7\nOfflineMode=0\nUpdateURL=http://127.0.0.64:9/update.ini" << false
        << "Offline" << 0xFFFF0000u << -1;
  }
  void startUp() {
    QFETCH(QString, configLines);
    QFETCH(bool, coreFails);
    QFETCH(QString, state);
    QFETCH(quint32, colour);
    QFETCH(int, languagePosition);
    testing_support::ServedFolder web("127.0.0.64");
    QVERIFY(web.started());
    web.Put("update.ini", "[UPDATE]\nManagerVersion=1.0.0\n");
    web.Put("APPS.xml", "<APPS><CLASS /><APP /></APPS>");
    web.Put("fws.xml", "<FWS><ITEM><ID>1</ID><PID>4097</PID><VERSION>V2.1</VERSION></ITEM></FWS>");
    web.Put("sps.xml", "<SPS/>");
    configLines.replace("{server}", QString::fromStdString(web.Url("")));
    uitest::WriteConfig(configLines.toStdString());
    ui::MainFrameWnd::CoreInit coreInit;
    if (coreFails) coreInit = [](core::Interaction&) { return false; };
    StartFrame(coreInit);
    // What the online start-up downloaded is not left for the tests after this one.
    for (const char* f : {"update.ini", "fws.xml", "sps.xml"})
      std::filesystem::remove(uitest::Root() + "/Download/" + f);

    QCOMPARE(static_cast<ui::Combo*>(frame_->FindControl("cboLanguage"))->GetCurSel(),
             languagePosition);
    if (coreFails) {
      const auto shown = script_->shown();
      QCOMPARE(int(shown.size()), 1);
      QCOMPARE(QString::fromStdString(shown[0].text), QString("Initialization failed！"));
      QVERIFY(shown[0].icon == core::MessageIcon::Error);
      QVERIFY(!frame_->initialised());
      for (int i = 0; i < ui::MainFrameWnd::kPageCount; ++i) QVERIFY(!frame_->page(i));
      QVERIFY(!frame_->devicePage());
      return;
    }
    QVERIFY(frame_->initialised());
    QVERIFY(frame_->devicePage());
    QCOMPARE(frame_->FindControl("labelConnState")->text(), state);
    QCOMPARE(frame_->FindControl("labelConnState")->look().text, QColor::fromRgba(colour));
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
  // A new main frame (and a new script), running the start-up again.
  void StartFrame(ui::MainFrameWnd::CoreInit coreInit = {}) {
    delete frame_;
    script_ = std::make_unique<testing_support::ScriptedInteraction>();
    frame_ = new ui::MainFrameWnd(*script_, std::move(coreInit));
    frame_->Create(nullptr, "OrbManager", false);
    frame_->show();
  }

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
