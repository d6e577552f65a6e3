// The main frame and the device pages, built from the real skins.
#include <QTest>
#include <filesystem>
#include <fstream>
#include <optional>

#include "app/ZCoreManager.h"
#include "core/ZConfig.h"
#include "history/UpdateHistory.h"
#include "platform/Files.h"
#include "platform/Ini.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/ServedFolder.h"
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

  // Each navigation button and device tab shows its page alone; an extra tab builds its
  // page once however often it is chosen.
  void navigationAndTabs() {
    const char* pages[] = {"DEVICEWND", "KRYAPPMANAGERWND", "SPSWND", "SALEWND", "REMOTEDIAG"};
    const char* buttons[] = {"btnNaviDevice", "btnNaviApps", "btnNaviSPS", "btnNaviSale",
                             "btnNaviRemoteDiag"};
    for (int shown : {1, 4, 2, 0, 3, 0}) {
      uitest::Click(frame_, buttons[shown]);
      for (int i = 0; i < 5; ++i) QCOMPARE(Child(frame_, pages[i])->isVisible(), i == shown);
    }
    ui::DeviceWnd* device = frame_->devicePage();
    QWidget* info = Child(device, "InfoWnd");
    QWidget* config = Child(device, "DeviceConfigWnd");
    uitest::Click(device, "btnTabDeviceConfig");
    QVERIFY(!info->isVisible() && config->isVisible());
    uitest::Click(device, "btnTabDeviceHelp");
    uitest::Click(device, "btnTabDeviceHelp");
    QCOMPARE(int(device->extraPages().size()), 1);
    QWidget* extra = device->extraPages().front().second;
    QVERIFY(extra->isVisible() && !info->isVisible() && !config->isVisible());
    uitest::Click(device, "btnTabDeviceInfo");
    QVERIFY(!extra->isVisible() && info->isVisible());
    // The status colours of the start-up and the report read on the title bar.
    for (unsigned colour : {0xFFFFFF66u, 0xFF00FF00u, 0xFFFF0000u}) {
      for (const char* label : {"labelConnState", "labelOBDVoltage"})
        frame_->FindControl(label)->SetTextColor(QColor::fromRgba(colour));
      UITEST_VERIFY_READABLE(frame_, "status colours");
    }
  }

  // The records of the adapter read last, failures marked.
  void historyPage() {
    ui::DeviceWnd* device = frame_->devicePage();
    auto* list = device->historyPage()->Find<ui::List>("lstHistory");
    ui::Control* notice = device->historyPage()->FindControl("labelHistoryEmpty");
    uitest::Click(device, "btnTabDeviceHistory");
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
  }

  // What choosing a language writes ("": the file stays as it was) and asks.
  void languageChange() {
    const struct {
      int position;
      bool ok;
      std::string written;
      bool unwritable;
    } cases[] = {{2, false, "1", false},  // english, cancelled
                 {1, true, "0", false},   // chinese, confirmed
                 {0, true, "", false},    // the active entry
                 {-1, true, "", false},   // no entry chosen
                 {2, true, "", true}};    // the file cannot be written
    for (const auto& c : cases) {
      init();
      core::ZConfig& config = core::ZConfig::Instance();
      const std::string configFile = config.configFile;
      const auto before = platform::ReadFile(configFile);
      auto* languages = static_cast<ui::Combo*>(frame_->FindControl("cboLanguage"));
      script_->Answer({c.ok});
      // A folder where the file should be: no write succeeds, not even as root.
      const std::string folder = uitest::Root() + "/Config/Unwritable.ini";
      if (c.unwritable) {
        std::filesystem::create_directories(folder);
        config.configFile = folder;
      }
      languages->ChooseItem(c.position);
      config.configFile = configFile;
      std::vector<std::string> shown;
      for (const auto& s : script_->shown()) shown.push_back(s.text);
      if (c.written.empty())
        QVERIFY(platform::ReadFile(configFile) == before);
      else
        QCOMPARE(platform::ReadProfileString("CONFIG", "LANGUAGE", "", 16, configFile), c.written);
      const std::string failed = "Failed to save the language to " + folder + " !";
      QCOMPARE(shown, c.unwritable        ? std::vector<std::string>{failed}
                      : c.written.empty() ? std::vector<std::string>{}
                                          : std::vector<std::string>{"Config was saved !"});
      QCOMPARE(exitCode_.has_value(), c.ok && !c.written.empty());
      if (!c.unwritable) continue;
      QVERIFY(script_->shown()[0].icon == core::MessageIcon::Error);
      // The list shows the stored entry again, so choosing it writes nothing.
      QCOMPARE(config.LANGUAGE, 255);
      QCOMPARE(languages->GetCurSel(), 0);
    }
  }

  // The page binds the settings' rules (tested on their own) to its fields: captions follow
  // their fields, and a save that is confirmed ends the program.
  void commSettingsSavedThroughThePage() {
    ui::DeviceConfigWnd* page = frame_->devicePage()->configPage();
    auto* typeList = page->Find<ui::Combo>("cboConnType");
    QCOMPARE(typeList->GetCurSel(), 1);
    QVERIFY(!page->FindControl("edtIPAddr")->IsEnabled());
    typeList->ChooseItem(5);
    QCOMPARE(page->FindControl("edtIPAddr")->text(), QString("192.168.9.1"));
    page->FindControl("edtIPAddr")->SetText("192.168.1.20");
    page->FindControl("edtPort")->SetText("5000");
    for (const auto& [label, field] :
         {std::pair{"labelPort", "edtPort"}, {"labelIPAddr", "edtIPAddr"}})
      QCOMPARE(page->FindControl(label)->IsEnabled(), page->FindControl(field)->IsEnabled());
    script_->Answer({true, true});
    uitest::Click(page, "btnSave");
    const auto value = [](const char* key) {
      return platform::ReadProfileString("COMM", key, "", 64, uitest::KryIni());
    };
    QCOMPARE(value("Type") + " " + value("IPAddr") + " " + value("Port"), "4 192.168.1.20 5000");
    QVERIFY(exitCode_.has_value());
    QCOMPARE(script_->Texts("tip").size(), 2u);
    QCOMPARE(typeList->GetCurSel(), 5);
  }

  // The language list and the connection state the start-up shows, by configuration.
  void startUp() {
    testing_support::ServedFolder web("127.0.0.64");
    QVERIFY(web.started());
    web.Put("update.ini", "[UPDATE]\nManagerVersion=1.0.0\n");
    web.Put("APPS.xml", "<APPS><CLASS /><APP /></APPS>");
    web.Put("fws.xml", "<FWS><ITEM><ID>1</ID><PID>4097</PID><VERSION>V2.1</VERSION></ITEM></FWS>");
    web.Put("sps.xml", "<SPS/>");
    const std::string urls =
        "UpdateURL=" + web.Url("/update.ini") + "\nApplicationURL=" + web.Url("/APPS.xml") +
        "\nFirmwareURL=" + web.Url("/fws.xml") + "\nSPSListURL=" + web.Url("/sps.xml");
    const struct {
      std::string config;
      bool coreFails;
      QString state;
      quint32 colour;
      int languagePosition;
    } cases[] = {
        {"LANGUAGE=1\nOfflineMode=1", true, "", 0, 2},
        {"LANGUAGE=1\nOfflineMode=1", false, "Mode", 0xFFFFFF66u, 2},
        {"LANGUAGE=0\nOfflineMode=0\n" + urls, false, "Online", 0xFF00FF00u, 1},
        // Nothing listens on that port: the run goes offline.
        {"LANGUAGE=7\nOfflineMode=0\nUpdateURL=http://127.0.0.64:9/update.ini", false, "Offline",
         0xFFFF0000u, -1},
    };
    for (const auto& c : cases) {
      uitest::WriteConfig(c.config);
      ui::MainFrameWnd::CoreInit coreInit;
      if (c.coreFails) coreInit = [](core::Interaction&) { return false; };
      StartFrame(coreInit);
      // What the online start-up downloaded is not left for the tests after this one.
      for (const char* f : {"update.ini", "fws.xml", "sps.xml"})
        std::filesystem::remove(uitest::Root() + "/Download/" + f);
      QCOMPARE(static_cast<ui::Combo*>(frame_->FindControl("cboLanguage"))->GetCurSel(),
               c.languagePosition);
      QCOMPARE(frame_->initialised(), !c.coreFails);
      if (c.coreFails) {
        QCOMPARE(script_->Texts("message"), std::vector<std::string>{"Initialization failed！"});
        for (int i = 0; i < ui::MainFrameWnd::kPageCount; ++i) QVERIFY(!frame_->page(i));
        continue;
      }
      QCOMPARE(frame_->FindControl("labelConnState")->text(), c.state);
      QCOMPARE(frame_->FindControl("labelConnState")->look().text, QColor::fromRgba(c.colour));
    }
  }

 private:
  // A new main frame (and a new script), running the start-up again.
  void StartFrame(ui::MainFrameWnd::CoreInit coreInit = {}) {
    delete frame_;
    script_ = std::make_unique<testing_support::ScriptedInteraction>();
    frame_ = uitest::ShowNew<ui::MainFrameWnd>("OrbManager", *script_, std::move(coreInit));
  }

  std::unique_ptr<testing_support::ScriptedInteraction> script_;
  ui::MainFrameWnd* frame_ = nullptr;
  std::optional<int> exitCode_;
};

}  // namespace

UITEST_RUNNER(PageTests)

#include "PageTests.moc"
