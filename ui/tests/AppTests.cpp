// The applications page and the application window against the loopback file server,
// with an installer script that records how it was run.
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QTest>

#include "apps/ZKRYAPPManager.h"
#include "codec/MD5.h"
#include "core/ProgramTexts.h"
#include "net/ZDownloadFileService.h"
#include "platform/Files.h"
#include "tests/support/RecordingInstaller.h"
#include "tests/support/ServedFolder.h"
#include "ui/APPWnd.h"
#include "ui/GuiInteraction.h"
#include "ui/KRYAPPManagerWnd.h"
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
    Load(int(kInstaller.size()));
    service_ = std::make_unique<net::ZDownloadFileService>("");
    QVERIFY(service_->Start());
  }
  void cleanup() {
    service_->Stop();
    service_.reset();
  }

  void installThroughTheWindowRunsOffTheUiThreadAndTheBadgeFollows() {
    auto host = std::make_unique<QWidget>();
    auto* page = new ui::KRYAPPManagerWnd(catalogue_.get(), gui_, {false, false}, service_.get());
    host->resize(960, 640);
    QVERIFY(page->Create(host.get(), "KRYAPPMANAGERWND", true, QRect(0, 70, 960, 570)));
    host->show();
    QCOMPARE(int(page->entries().size()), 2);
    QCOMPARE(page->entries()[0].first->text(), Q(core::Text(core::TextId::kMyApps)));
    QCOMPARE(page->entries()[1].first->text(), QString("Diagnosis"));
    QCOMPARE(Badges(*page), QStringList({"app_uninstalled.png", "app_uninstalled.png"}));

    uitest::WhenShown("APPWND", [&](QWidget* w) {
      auto* window = static_cast<ui::APPWnd*>(w);
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
    UITEST_VERIFY_READABLE(page, "applications page");
    QTest::mouseClick(page->entries()[0].first->widget(), Qt::LeftButton);
    QCOMPARE(int(page->tiles().size()), 2);
  }

  // Escape during the download stops it; the window closes once the download has ended.
  void closingDuringTheDownloadCancelsItAndNothingIsInstalled() {
    server_.Put("apps/7/install.exe", std::string(1 << 20, 'i'));
    server_.server().SetFault("/apps/7/install.exe", {sim::FaultKind::Slow, "", 5});
    Load(0);
    QPointer<ui::APPWnd> window =
        new ui::APPWnd(*catalogue_->objects()[0], gui_, {false, false}, service_.get());
    window->Create(nullptr, "APPWND", false);
    window->show();
    QApplication::processEvents();
    uitest::Click(window, "btnInstall");
    QTRY_VERIFY(window->FindControl("btnInstall")->text().endsWith('%'));
    QTest::keyClick(window, Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(window.isNull(), 10000);
    QCOMPARE(Runs(), QString());
    QVERIFY(!platform::FileExists(catalogue_->objects()[0]->installerPath));
    server_.server().ClearFaults();
  }

 private:
  void Load(int size) {
    const std::string xml =
        "<APPS><CLASS><ITEM><ID>1</ID><NAME>Diagnosis</NAME><LOGO>../KavoraG.xml</LOGO></ITEM></"
        "CLASS>"
        "<APP><ITEM><ID>7</ID><CLSID>1</CLSID><NAME>Scope</NAME><VERSION>2.0</VERSION><SIZE>" +
        std::to_string(size) + "</SIZE><MD5>" + codec::MD5Text(kInstaller) +
        "</MD5><LOGO>app7.png</LOGO><DOWNLOADURL>" + server_.Url("/apps/7/install.exe") +
        "</DOWNLOADURL><DESCURL>" + server_.Url("/desc/7.txt") +
        "</DESCURL></ITEM>"
        "<ITEM><ID>8</ID><CLSID>9</CLSID><NAME>Orphan</NAME><LOGO>/etc/passwd</LOGO></ITEM>"
        "</APP></APPS>";
    QVERIFY(catalogue_->LoadFromFile(dir_->Put("APPS.xml", xml)));
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
  ui::GuiInteraction gui_;
};

}  // namespace

UITEST_RUNNER(AppTests)

#include "AppTests.moc"
