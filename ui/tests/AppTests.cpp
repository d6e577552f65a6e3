// The applications page and the application window against the loopback file server,
// with an installer script that records how it was run.
#include <QPlainTextEdit>
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

// Longer than its box.
const std::string kDescription = "Scope reads live data." + std::string(30, '\n') + "Changes.";

QStringList Badges(const ui::KRYAPPManagerWnd& page) {
  QStringList out;
  for (const auto& [tile, app] : page.tiles()) out << tile->look().normalImage.file;
  return out;
}

class AppTests : public QObject {
  Q_OBJECT

 private slots:
  void installThroughTheWindowRunsOffTheUiThreadAndTheBadgeFollows() {
    testing_support::ServedFolder server("127.0.0.62");
    QVERIFY(server.started());
    server.Put("apps/7/install.exe", kInstaller);
    server.Put("desc/7.txt", kDescription);
    uitest::WriteConfig("LANGUAGE=1\nOfflineMode=1");
    testing_support::TempFolder dir;
    platform::CreateFolder(dir / "Apps");
    apps::ZKRYAPPManager catalogue(dir / "Apps");
    QVERIFY(catalogue.LoadFromFile(dir.Put(
        "APPS.xml",
        "<APPS><CLASS><ITEM><ID>1</ID><NAME>Diagnosis</NAME><LOGO>../KavoraG.xml</LOGO></ITEM>"
        "</CLASS><APP><ITEM><ID>7</ID><CLSID>1</CLSID><NAME>Scope</NAME><VERSION>2.0</VERSION>"
        "<SIZE>" +
            std::to_string(kInstaller.size()) + "</SIZE><MD5>" + codec::MD5Text(kInstaller) +
            "</MD5><LOGO>app7.png</LOGO><DOWNLOADURL>" + server.Url("/apps/7/install.exe") +
            "</DOWNLOADURL><DESCURL>" + server.Url("/desc/7.txt") +
            "</DESCURL></ITEM>"
            "<ITEM><ID>8</ID><CLSID>9</CLSID><NAME>Orphan</NAME><LOGO>/etc/passwd</LOGO></ITEM>"
            "</APP></APPS>")));
    net::ZDownloadFileService service("");
    QVERIFY(service.Start());
    ui::GuiInteraction gui;
    auto host = std::make_unique<QWidget>();
    auto* page = new ui::KRYAPPManagerWnd(&catalogue, gui, {false, false}, &service);
    host->resize(960, 640);
    QVERIFY(page->Create(host.get(), "KRYAPPMANAGERWND", true, QRect(0, 70, 960, 570)));
    host->show();
    QVERIFY(page->entries().size() == 2 && page->entries()[1].first->text() == "Diagnosis");
    QCOMPARE(Badges(*page), QStringList({"app_uninstalled.png", "app_uninstalled.png"}));

    uitest::WhenShown("APPWND", [&](QWidget* w) {
      auto* window = static_cast<ui::APPWnd*>(w);
      // A description longer than its box scrolls instead of being cut.
      auto* description =
          qobject_cast<QPlainTextEdit*>(window->FindControl("edtAPPUpdateLog")->widget());
      QVERIFY(description && description->toPlainText() == Q(kDescription) &&
              description->verticalScrollBar()->maximum() > 0);
      QTRY_VERIFY(window->FindControl("btnInstall")->IsEnabled());
      uitest::Click(w, "btnInstall");
      QTRY_VERIFY_WITH_TIMEOUT(window->FindControl("btnRun")->IsEnabled(), 10000);
      QTRY_COMPARE(window->FindControl("btnInstall")->text(),
                   Q(core::Text(core::TextId::kInstall)));
      uitest::Click(w, "btnAppClose");
    });
    QTest::mouseClick(page->tiles()[0].first->widget(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(Badges(*page).value(0) == "app_installed.png", 15000);

    // Only the class's applications under its entry; the one of no class only in My Apps.
    QTest::mouseClick(page->entries()[1].first->widget(), Qt::LeftButton);
    QVERIFY(page->selectedValue() == 1 && page->tiles().size() == 1 &&
            page->tiles()[0].second->ID == 7);
    UITEST_VERIFY_READABLE(page, "applications page");
    host.reset();
    service.Stop();
  }
};

}  // namespace

UITEST_RUNNER(AppTests)

#include "AppTests.moc"
