// The main frame and the device pages, built from the real skins.
#include <QTest>
#include <filesystem>
#include <fstream>
#include <optional>

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

  // The device page's tabs. An extra tab builds its page once however often it is chosen,
  // and shows it alone.
  void deviceTabs() {
    ui::DeviceWnd* device = frame_->devicePage();
    auto* info = device->findChild<QWidget*>("InfoWnd", Qt::FindDirectChildrenOnly);
    uitest::Click(device, "btnTabDeviceHelp");
    uitest::Click(device, "btnTabDeviceHelp");
    QCOMPARE(int(device->extraPages().size()), 1);
    QWidget* extra = device->extraPages().front().second;
    QVERIFY(extra->isVisible() && !info->isVisible());
    uitest::Click(device, "btnTabDeviceInfo");
    QVERIFY(!extra->isVisible() && info->isVisible());

    // The history tab: the records of the adapter read last, failures marked.
    auto* list = device->historyPage()->Find<ui::List>("lstHistory");
    ui::Control* notice = device->historyPage()->FindControl("labelHistoryEmpty");
    uitest::Click(device, "btnTabDeviceHistory");
    QVERIFY(list->GetCount() == 0 && notice->IsVisible());
    for (const history::HistoryRecord& r : std::vector<history::HistoryRecord>{
             {"", "HISTPAGE01", 0x0301, history::kVciFirmware, "", "1.0", "2.0", true, ""},
             {"", "HISTPAGE02", 0x0301, history::kDeviceReset, "", "", "", true, ""},
             {"", "HISTPAGE01", 0x0401, history::kDoIPSystem, "", "1.0", "1.0", false,
              "Checksum firmware failed！"}})
      QVERIFY(history::ProgramHistory().Add(r));  // in the test's root folder
    device::DeviceReport report;
    report.serialText = "HISTPAGE01";
    device->infoPage()->ShowReport(report);
    uitest::Click(device, "btnTabDeviceHistory");
    QVERIFY(list->GetCount() == 2 && !notice->IsVisible());
    const ui::ListTextElement* failed = list->GetItemAt(0);
    QCOMPARE(failed->GetText(1) + " " + failed->GetText(4) + " " + failed->GetText(5) + " " +
                 list->GetItemAt(1)->GetText(4),
             QString("DoIP system update Failed Checksum firmware failed！ Done"));
    QCOMPARE(failed->look().text, QColor::fromRgba(ui::DeviceHistoryWnd::kFailedText));

    // The settings page binds the settings' rules (tested on their own) to its fields:
    // choosing a type shows that type's stored address, and the caption follows its field.
    ui::DeviceConfigWnd* page = device->configPage();
    auto* typeList = page->Find<ui::Combo>("cboConnType");
    QVERIFY(typeList->GetCurSel() == 1 && !page->FindControl("edtIPAddr")->IsEnabled());
    typeList->ChooseItem(5);
    QCOMPARE(page->FindControl("edtIPAddr")->text(), QString("192.168.9.1"));
    QVERIFY(page->FindControl("edtIPAddr")->IsEnabled() &&
            page->FindControl("labelIPAddr")->IsEnabled());
  }

  // What choosing a language writes ("": the file stays as it was) and shows.
  void languageChange() {
    // A folder where the file should be: no write succeeds, not even as root.
    const std::string folder = uitest::Root() + "/Config/Unwritable.ini";
    const std::string saved = "Config was saved !";
    const std::tuple<int, bool, std::string, std::string> cases[] = {
        {2, false, "1", saved},  // english, cancelled
        {1, true, "0", saved},   // chinese, confirmed
        {0, true, "", ""},       // the active entry
        {-1, true, "", ""},      // no entry chosen
        {2, true, "", "Failed to save the language to " + folder + " ! (error)"}};
    for (const auto& [position, ok, written, expected] : cases) {
      init();
      core::ZConfig& config = core::ZConfig::Instance();
      const std::string configFile = config.configFile;
      const auto before = platform::ReadFile(configFile);
      auto* languages = static_cast<ui::Combo*>(frame_->FindControl("cboLanguage"));
      script_->Answer({ok});
      const bool unwritable = written.empty() && !expected.empty();
      if (unwritable && std::filesystem::create_directories(folder)) config.configFile = folder;
      languages->ChooseItem(position);
      config.configFile = configFile;
      std::string shown;
      for (const auto& s : script_->shown())
        shown += s.text + (s.icon == core::MessageIcon::Error ? " (error)" : "");
      QCOMPARE(shown, expected);
      QVERIFY(written.empty() ? platform::ReadFile(configFile) == before
                              : platform::ReadProfileString("CONFIG", "LANGUAGE", "", 16,
                                                            configFile) == written);
      QCOMPARE(exitCode_.has_value(), ok && !written.empty());
      // The list shows the stored entry again, so choosing it writes nothing.
      if (unwritable) QVERIFY(config.LANGUAGE == 255 && languages->GetCurSel() == 0);
    }
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
    // The state's text and colour: "" where the core failed to start.
    const std::tuple<std::string, QString, int> cases[] = {
        {"LANGUAGE=1\nOfflineMode=1", "", 2},
        {"LANGUAGE=1\nOfflineMode=1", "Mode #ffff66", 2},
        {"LANGUAGE=0\nOfflineMode=0\n" + urls, "Online #00ff00", 1},
        // Nothing listens on that port: the run goes offline.
        {"LANGUAGE=7\nOfflineMode=0\nUpdateURL=http://127.0.0.64:9/update.ini", "Offline #ff0000",
         -1},
    };
    for (const auto& [config, expected, languagePosition] : cases) {
      uitest::WriteConfig(config);
      const bool coreFails = expected.isEmpty();
      StartFrame(coreFails ? [](core::Interaction&) { return false; }
                           : ui::MainFrameWnd::CoreInit());
      // What the online start-up downloaded is not left for the tests after this one.
      for (const char* f : {"update.ini", "fws.xml", "sps.xml"})
        std::filesystem::remove(uitest::Root() + "/Download/" + f);
      QCOMPARE(static_cast<ui::Combo*>(frame_->FindControl("cboLanguage"))->GetCurSel(),
               languagePosition);
      QCOMPARE(frame_->initialised(), !coreFails);
      if (coreFails) {
        QCOMPARE(script_->Texts("message"), std::vector<std::string>{"Initialization failed！"});
        for (int i = 0; i < ui::MainFrameWnd::kPageCount; ++i) QVERIFY(!frame_->page(i));
        continue;
      }
      ui::Control* state = frame_->FindControl("labelConnState");
      QCOMPARE(state->text() + " " + state->look().text.name(), expected);
      // The report's voltage takes the same colours on the same title bar.
      UITEST_VERIFY_READABLE(frame_, "status colours");
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
