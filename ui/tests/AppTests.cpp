// The applications page and the application window against the loopback file server,
// with an installer script that records how it was run.
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include "apps/ZKRYAPPManager.h"
#include "codec/MD5.h"
#include "core/ProgramTexts.h"
#include "net/ZDownloadFileService.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "tests/support/RecordingInstaller.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/ServedFolder.h"
#include "ui/APPWnd.h"
#include "ui/CProgressWnd.h"
#include "ui/Containers.h"
#include "ui/GuiInteraction.h"
#include "ui/KRYAPPManagerWnd.h"
#include "ui/MainFrameWnd.h"
#include "ui/QtText.h"
#include "ui/tests/UiTestSupport.h"

namespace {

const std::string kInstaller = testing_support::RecordingInstaller();

using ui::Q;

const std::string kDescription = [] {
  std::string text = "Scope reads live data.";
  for (int i = 1; i <= 30; ++i) text += "\nChange " + std::to_string(i) + ".";
  return text;
}();

class AppTests : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    QVERIFY(server_.started());
    server_.Put("apps/7/install.exe", kInstaller);
    server_.Put("desc/7.txt", kDescription);
    uitest::WriteConfig("LANGUAGE=1\nOfflineMode=1");
    dir_ = std::make_unique<testing_support::TempFolder>();
    platform::CreateFolder(*dir_ / "Apps");
    catalogue_ = std::make_unique<apps::ZKRYAPPManager>(*dir_ / "Apps");
    Load(int(kInstaller.size()), "2.0");
    service_ = std::make_unique<net::ZDownloadFileService>("");
    QVERIFY(service_->Start());
  }
  void cleanup() {
    service_->Stop();
    service_.reset();
  }

  void installThroughTheWindowRunsOffTheUiThreadAndTheBadgeFollows() {
    host_ = std::make_unique<QWidget>();
    auto* page = new ui::KRYAPPManagerWnd(catalogue_.get(), gui_, {false, false}, service_.get());
    host_->resize(960, 640);
    QVERIFY(page->Create(host_.get(), "KRYAPPMANAGERWND", true, QRect(0, 70, 960, 570)));
    host_->show();
    QCOMPARE(int(page->entries().size()), 2);
    QCOMPARE(page->entries()[0].first->text(), Q(core::Text(core::TextId::kMyApps)));
    QCOMPARE(page->entries()[1].first->text(), QString("Diagnosis"));
    // The entries stack from the top, each under the separator of the one before.
    QTRY_COMPARE(page->entries()[1].first->widget()->y(), 65);
    QCOMPARE(page->entries()[0].first->widget()->y(), 0);
    QCOMPARE(Badges(*page), QStringList({"app_uninstalled.png", "app_uninstalled.png"}));
    QCOMPARE(page->tiles()[0].first->look().bkImage.file, QString("logos/app7.png"));
    QVERIFY2(page->tiles()[1].first->look().bkImage.empty(),
             "a logo outside the skin shows nothing");

    uitest::WhenShown("APPWND", [&](QWidget* w) {
      auto* window = static_cast<ui::APPWnd*>(w);
      QCOMPARE(window->FindControl("labelTitle")->text(), QString("Scope"));
      QCOMPARE(window->FindControl("labelSize")->text(),
               QString("Size: %1  Byte").arg(kInstaller.size()));
      QCOMPARE(window->FindControl("labelStatus")->text(),
               Q(core::Text(core::TextId::kPlease) + core::Text(core::TextId::kInstall)));
      // A description longer than its box scrolls instead of being cut.
      QCOMPARE(window->FindControl("edtAPPUpdateLog")->text(),
               QString::fromStdString(kDescription));
      auto* description =
          qobject_cast<QPlainTextEdit*>(window->FindControl("edtAPPUpdateLog")->widget());
      QVERIFY(description && description->verticalScrollBar()->maximum() > 0);
      QTRY_VERIFY(window->FindControl("btnInstall")->IsEnabled());
      QVERIFY(!window->FindControl("btnRun")->IsEnabled());
      uitest::Click(w, "btnInstall");
      QTRY_VERIFY_WITH_TIMEOUT(catalogue_->objects()[0]->appInfo.Installed, 10000);
      QTRY_COMPARE(window->FindControl("btnInstall")->text(),
                   Q(core::Text(core::TextId::kInstall)));
      QTRY_VERIFY(window->FindControl("btnRun")->IsEnabled());
      QVERIFY(window->FindControl("btnUnInstall")->IsEnabled());
      QVERIFY(!window->FindControl("btnInstall")->IsEnabled());
      QVERIFY(!window->FindControl("btnUpdate")->IsEnabled());
      uitest::Click(w, "btnAppClose");
    });
    QTest::mouseClick(page->tiles()[0].first->widget(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(Badges(*page).value(0) == "app_installed.png", 15000);
    QCOMPARE(Runs(), QString("i\n"));

    // An installed application whose catalogue version differs shows the update badge.
    catalogue_->objects()[0]->VERSION = "2.1";
    page->Refresh();
    QCOMPARE(Badges(*page).value(0), QString("app_update.png"));

    // Only the class's applications under its entry; the one of no class only in My Apps.
    QTest::mouseClick(page->entries()[1].first->widget(), Qt::LeftButton);
    QCOMPARE(page->selectedValue(), 1);
    QCOMPARE(int(page->tiles().size()), 1);
    QCOMPARE(page->tiles()[0].second->ID, 7);
    QCOMPARE(page->entries()[1].first->look().bk, QColor::fromRgba(0xFF028CF1));
    QCOMPARE(page->entries()[0].first->look().bk, QColor::fromRgba(0xFFFFFFFF));
    UITEST_VERIFY_READABLE(page, "applications page");
    QTest::mouseClick(page->entries()[0].first->widget(), Qt::LeftButton);
    QCOMPARE(int(page->tiles().size()), 2);
    host_.reset();
  }

  void aDownloadLargerThanSizeFailsTheCheckWithItsMessage() {
    Load(40, "2.0");
    auto* window = Open({false, false});
    bool shown = false;
    uitest::WhenShown("FCFWND", [&](QWidget* tip) {
      shown = true;
      QCOMPARE(static_cast<ui::WindowImplBase*>(tip)->FindControl("textTip")->text(),
               Q(core::Text(core::TextId::kFileCheckFailed)));
      QVERIFY2(!static_cast<ui::WindowImplBase*>(tip)->FindControl("btnCancel"), "OK only");
      QTRY_COMPARE(window->FindControl("btnInstall")->text(),
                   Q(core::Text(core::TextId::kChecking)));
      QVERIFY2(window->procedure().busy(), "the window waits for its install step");
      uitest::Click(tip, "btnClose");
    });
    uitest::Click(window, "btnInstall");
    QTRY_VERIFY_WITH_TIMEOUT(shown, 10000);
    QTRY_COMPARE(window->FindControl("btnInstall")->text(), Q(core::Text(core::TextId::kInstall)));
    QTRY_VERIFY(window->FindControl("btnInstall")->IsEnabled());
    QVERIFY(!platform::FileExists(catalogue_->objects()[0]->installerPath));
    QCOMPARE(Runs(), QString());
    window->Close();
  }

  // Escape during the download stops it; the window closes once the download has ended.
  void closingDuringTheDownloadCancelsItAndNothingIsInstalled() {
    server_.Put("apps/7/install.exe", std::string(1 << 20, 'i'));
    server_.server().SetFault("/apps/7/install.exe", {sim::FaultKind::Slow, "", 5});
    Load(0, "2.0");
    QPointer<ui::APPWnd> window = Open({false, false});
    uitest::Click(window, "btnInstall");
    QTRY_VERIFY(window->FindControl("btnInstall")->text().endsWith('%'));
    QTest::keyClick(window, Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(window.isNull(), 10000);
    QCOMPARE(Runs(), QString());
    QVERIFY(!platform::FileExists(catalogue_->objects()[0]->installerPath));
    server_.server().ClearFaults();
  }

  void offlineTheDescriptionIsHiddenAndTheInstallerOnDiskIsUsed() {
    auto* window = Open({true, false});
    QVERIFY(!window->FindControl("edtAPPUpdateLog")->IsVisible());
    QCOMPARE(window->height(), 440 - 200);
    QCOMPARE(window->width(), 620);
    bool shown = false;
    uitest::WhenShown("FCFWND", [&](QWidget* tip) {
      shown = true;
      uitest::Click(tip, "btnClose");
    });
    uitest::Click(window, "btnInstall");
    QTRY_VERIFY(shown);
    QCOMPARE(Runs(), QString());

    dir_->Put("Apps/7/install.exe", kInstaller);
    uitest::Click(window, "btnInstall");
    QTRY_VERIFY(catalogue_->objects()[0]->appInfo.Installed);
    QCOMPARE(Runs(), QString("i\n"));
    QTRY_VERIFY(window->FindControl("btnRun")->IsEnabled());
    window->Close();
  }

  void updateRemovesThenInstallsAndRunNeedsTheTarget() {
    dir_->Put("Apps/7/AppInfo.ini",
              "[AppInfo]\nVersion=1.0\nInstalled=1\nTarget=" + (*dir_ / "Apps/7/missing") + "\n");
    dir_->Put("Apps/7/install.exe", kInstaller);
    catalogue_->objects()[0]->ReadAppInfo(false);
    auto* window = Open({false, false});
    QTRY_VERIFY(window->FindControl("btnUpdate")->IsEnabled());
    QVERIFY2(!window->FindControl("btnRun")->IsEnabled(), "Target is missing");
    QVERIFY(window->FindControl("btnUnInstall")->IsEnabled());
    QCOMPARE(window->FindControl("labelStatus")->text(),
             Q(core::Text(core::TextId::kPlease) + core::Text(core::TextId::kUpdate)));
    uitest::Click(window, "btnUpdate");
    QTRY_COMPARE_WITH_TIMEOUT(Runs(), QString("u\ni\n"), 10000);
    QTRY_VERIFY(window->FindControl("btnRun")->IsEnabled());
    QVERIFY(!window->FindControl("btnUpdate")->IsEnabled());

    uitest::Click(window, "btnUnInstall");
    QCOMPARE(Runs(), QString("u\ni\nu\n"));
    QVERIFY(!catalogue_->objects()[0]->appInfo.Installed);
    QTRY_VERIFY(window->FindControl("btnInstall")->IsEnabled());
    QVERIFY(!window->FindControl("btnRun")->IsEnabled());
    window->Close();
  }

  void oemModeShowsTheProgressWindowBeforeTheInstaller() {
    platform::ScaledClock fast(0.01);  // the window's full run of 14 one-second ticks
    platform::SetClock(&fast);
    auto* window = Open({false, true});
    QString caption, runsMeanwhile = "not shown";
    auto* timer = new QTimer(window);
    timer->setInterval(1);
    QObject::connect(timer, &QTimer::timeout, [&, timer] {
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* progress = dynamic_cast<ui::CProgressWnd*>(w);
            progress && progress->isVisible()) {
          timer->stop();
          QVERIFY(progress->isModal());
          caption = progress->FindControl("labelTitle")->text();
          runsMeanwhile = Runs();
        }
    });
    timer->start();
    QTRY_VERIFY(window->FindControl("btnInstall")->IsEnabled());
    uitest::Click(window, "btnInstall");
    QTRY_VERIFY_WITH_TIMEOUT(catalogue_->objects()[0]->appInfo.Installed, 10000);
    platform::SetClock(nullptr);
    QCOMPARE(caption, QString("Installing ..."));
    QCOMPARE(runsMeanwhile, QString());
    QCOMPARE(Runs(), QString("i s\n"));
    window->Close();
  }

  void removalWithoutAnInstallerLeavesOnlyInstall() {
    dir_->Put("Apps/7/AppInfo.ini", "[AppInfo]\nVersion=2.0\nInstalled=1\n");
    catalogue_->objects()[0]->ReadAppInfo(false);
    auto* window = Open({false, false});
    QTRY_VERIFY(window->FindControl("btnUnInstall")->IsEnabled());
    uitest::Click(window, "btnUnInstall");
    QTRY_VERIFY(window->FindControl("btnInstall")->IsEnabled());
    QVERIFY(!platform::FileExists(*dir_ / "Apps/7/AppInfo.ini"));
    QVERIFY(!catalogue_->objects()[0]->appInfo.Installed);
    for (const char* other : {"btnUnInstall", "btnUpdate", "btnRun"})
      QVERIFY2(!window->FindControl(other)->IsEnabled(), other);
    QCOMPARE(Runs(), QString());
    window->Close();
  }

  void updateFromTheWindowTurnsTheBadgeToInstalled() {
    dir_->Put("Apps/7/AppInfo.ini", "[AppInfo]\nVersion=1.0\nInstalled=1\n");
    dir_->Put("Apps/7/install.exe", kInstaller);
    catalogue_->objects()[0]->ReadAppInfo(false);
    host_ = std::make_unique<QWidget>();
    auto* page = new ui::KRYAPPManagerWnd(catalogue_.get(), gui_, {false, false}, service_.get());
    QVERIFY(page->Create(host_.get(), "KRYAPPMANAGERWND", true, QRect(0, 70, 960, 570)));
    host_->show();
    QCOMPARE(Badges(*page).value(0), QString("app_update.png"));
    uitest::WhenShown("APPWND", [&](QWidget* w) {
      auto* window = static_cast<ui::APPWnd*>(w);
      QTRY_VERIFY(window->FindControl("btnUpdate")->IsEnabled());
      uitest::Click(w, "btnUpdate");
      QTRY_COMPARE_WITH_TIMEOUT(Runs(), QString("u\ni\n"), 10000);
      QTRY_VERIFY(window->FindControl("btnRun")->IsEnabled());
      uitest::Click(w, "btnAppClose");
    });
    QTest::mouseClick(page->tiles()[0].first->widget(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(Badges(*page).value(0) == "app_installed.png", 15000);
    host_.reset();
  }

  void theMainFrameShowsTheApplicationsPage() {
    testing_support::ScriptedInteraction script;
    auto* frame = new ui::MainFrameWnd(script);
    frame->Create(nullptr, "OrbManager", false);
    frame->show();
    QVERIFY(frame->initialised());
    QVERIFY(frame->appsPage());
    QCOMPARE(frame->page(1), static_cast<QWidget*>(frame->appsPage()));
    QCOMPARE(frame->appsPage()->entries().size(), std::size_t(1));
    uitest::Click(frame, "btnNaviApps");
    QVERIFY(frame->appsPage()->isVisible());
    delete frame;
  }

 private:
  void Load(int size, const std::string& version) {
    const std::string xml =
        "<APPS><CLASS><ITEM><ID>1</ID><NAME>Diagnosis</NAME><LOGO>../KavoraG.xml</LOGO></ITEM></"
        "CLASS>"
        "<APP><ITEM><ID>7</ID><CLSID>1</CLSID><NAME>Scope</NAME><VERSION>" +
        version + "</VERSION><SIZE>" + std::to_string(size) + "</SIZE><MD5>" +
        codec::MD5Text(kInstaller) + "</MD5><LOGO>app7.png</LOGO><DOWNLOADURL>" +
        server_.Url("/apps/7/install.exe") + "</DOWNLOADURL><DESCURL>" +
        server_.Url("/desc/7.txt") +
        "</DESCURL></ITEM>"
        "<ITEM><ID>8</ID><CLSID>9</CLSID><NAME>Orphan</NAME><LOGO>/etc/passwd</LOGO></ITEM>"
        "</APP></APPS>";
    QVERIFY(catalogue_->LoadFromFile(dir_->Put("APPS.xml", xml)));
  }
  ui::APPWnd* Open(apps::ZAPPProcedure::Modes modes) {
    auto* window = new ui::APPWnd(*catalogue_->objects()[0], gui_, modes, service_.get());
    window->Create(nullptr, "APPWND", false);
    window->show();
    QApplication::processEvents();
    return window;
  }
  QString Runs() { return Q(platform::ReadFile(*dir_ / "Apps/7/runs.log").value_or("")); }
  static QStringList Badges(const ui::KRYAPPManagerWnd& page) {
    QStringList out;
    for (const auto& [tile, app] : page.tiles()) out << tile->look().normalImage.file;
    return out;
  }

  testing_support::ServedFolder server_{"127.0.0.62"};
  std::unique_ptr<testing_support::TempFolder> dir_;
  std::unique_ptr<apps::ZKRYAPPManager> catalogue_;
  std::unique_ptr<net::ZDownloadFileService> service_;
  std::unique_ptr<QWidget> host_;
  ui::GuiInteraction gui_;
};

}  // namespace

int RunAppTests(int argc, char** argv) {
  AppTests tests;
  return QTest::qExec(&tests, argc, argv);
}

#include "AppTests.moc"
