// The SPS page and the two web pages, built from the real skins.
#include <stdlib.h>

#include <QDialog>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <filesystem>

#include "apps/ZSPSManager.h"
#include "core/ProgramTexts.h"
#include "core/ZConfig.h"
#include "platform/Files.h"
#include "tests/support/ServedFolder.h"
#include "tests/support/VciSim.h"
#include "ui/ListControl.h"
#include "ui/RemoteDiagWnd.h"
#include "ui/SPSWnd.h"
#include "ui/SaleWnd.h"
#include "ui/WebBrowser.h"
#include "ui/tests/UiTestSupport.h"

namespace {

// A page whose script asks the user three ways, then names itself by what it got.
const char kNoisyPage[] =
    "<!DOCTYPE html><html><head><title>loading</title></head><body>"
    "<script>alert('hello'); var ok = confirm('sure?'); var said = prompt('name?');"
    "document.title = 'done ' + ok + ' ' + said;</script></body></html>";

// Any dialog box of the web view itself (alert, confirm, prompt, certificate, download).
bool AnyDialogShown() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() && qobject_cast<QDialog*>(w)) return true;
  return false;
}

class LinkPageTests : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    server_ =
        std::make_unique<testing_support::ServedFolder>(testing_support::VciSim::UniqueAddress());
    QVERIFY(server_->started());
    server_->Put("sale.html", kNoisyPage);
    server_->Put("remote.html", "<html><head><title>remote</title></head><body>R</body></html>");
    server_->Put("help.html", "<html><head><title>help</title></head><body>H</body></html>");
    opened_ = scratch_ / "opened.txt";
    const std::string opener = scratch_ / "opener";
    platform::WriteFile(opener, "#!/bin/sh\necho \"$1\" >> " + opened_ + "\n");
    std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
  }
  void init() {
    uitest::WriteConfig("SaleURL=" + server_->Url("/sale.html") +
                        "\nRemoteURL=" + server_->Url("/remote.html") +
                        "\nRemoteHelpURL=" + server_->Url("/help.html"));
    platform::DeleteFile(opened_);
    ::setenv("ORB_OPEN_COMMAND", (scratch_ / "opener").c_str(), 1);
  }
  void cleanup() { ::unsetenv("ORB_OPEN_COMMAND"); }

  void spsRows() {
    ui::SPSWnd* page = Page(&Links());
    auto* list = page->Find<ui::List>("lstSPS");
    QCOMPARE(list->GetCount(), 5);
    struct Row {
      const char* id;
      const char* desc;
      const char* auth;
      unsigned colour;
    } rows[] = {{"1", "Dealer portal", "Yes", ui::SPSWnd::kAccountRow},
                {"2", "Open data", "No", ui::SPSWnd::kOpenRow},
                {"2", "Same number", "No", ui::SPSWnd::kOpenRow},
                {"3", "Local file", "No", ui::SPSWnd::kOpenRow},
                {"0", "", "No", ui::SPSWnd::kOpenRow}};
    for (int i = 0; i < 5; ++i) {
      const ui::ListTextElement* row = list->GetItemAt(i);
      QCOMPARE(row->GetText(0), QString(rows[i].id));
      QCOMPARE(row->GetText(1), QString(rows[i].desc));
      QCOMPARE(row->GetText(3), QString(rows[i].auth));
      QCOMPARE(row->rowColor(), QColor::fromRgba(rows[i].colour));
      QCOMPARE(row->minimumHeight(), 50);
    }
    QCOMPARE(list->GetItemAt(0)->GetText(2), QString("https://dealer.invalid/login"));
    UITEST_VERIFY_READABLE(page, "SPS page");
    delete page;
  }

  // Choosing a row opens its link: by number, so two rows of one number open the first;
  // addresses that are not web pages are not handed on.
  void spsOpensTheChosenLink() {
    ui::SPSWnd* page = Page(&Links());
    auto* list = page->Find<ui::List>("lstSPS");
    for (int row : {0, 2, 3, 4, 1}) {
      QTest::mouseClick(list->GetItemAt(row), Qt::LeftButton);
      QCOMPARE(list->GetCurSel(), row);
    }
    const std::string expected =
        "http://open.invalid/data\nhttp://open.invalid/data\nhttps://dealer.invalid/login";
    QTRY_COMPARE(Opened(), expected);
    QTest::qWait(100);  // nothing more arrives
    QCOMPARE(Opened(), expected);

    // By keyboard: the arrows move without opening anything, Enter opens the row.
    platform::DeleteFile(opened_);
    list->setFocus();
    for (int i = 0; i < 3; ++i) QTest::keyClick(list, Qt::Key_Up);
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->cursor(), 1);
    QTest::qWait(100);
    QCOMPARE(Opened(), std::string());
    QTest::keyClick(list, Qt::Key_Return);
    QTRY_COMPARE(Opened(), std::string("http://open.invalid/data"));
    QCOMPARE(list->GetCurSel(), 1);
    delete page;
  }

  void spsWithoutCatalogue() {
    ui::SPSWnd* page = Page(nullptr);
    QCOMPARE(page->Find<ui::List>("lstSPS")->GetCount(), 0);
    QVERIFY(!page->OpenRow(0));
    delete page;
  }

  // The sale page loads its address once, silently: the script's alert, confirm and prompt
  // return at once and no dialog box appears.
  void salePageLoadsSilently() {
    auto* page = new ui::SaleWnd;
    page->Create(nullptr, "SALEWND", false);
    page->show();
    ui::WebBrowser* browser = page->browser();
    QVERIFY(browser);
    QSignalSpy finished(browser->view(), &QWebEngineView::loadFinished);
    QVERIFY(finished.wait(30000));
    QCOMPARE(finished.takeFirst().at(0).toBool(), true);
    QTRY_COMPARE(browser->view()->title(), QString("done false null"));
    QVERIFY(!AnyDialogShown());
    QCOMPARE(browser->url().toString(), QString::fromStdString(server_->Url("/sale.html")));
    page->hide();
    page->show();
    QTest::qWait(200);
    QCOMPARE(finished.count(), 0);  // shown again: not loaded again
    QCOMPARE(server_->server().RequestCount("/sale.html"), 1);
    delete page;
  }

  // Where no page can be shown, a local page says why, in the program's language: offline
  // (no request at all, the engine not even started), no address, or a failed load, which
  // offers to try again; a retry that works shows the page.
  void pagesThatCannotLoadSayWhy() {
    const std::string dead = "http://" + testing_support::VciSim::UniqueAddress() + ":9/";
    struct Case {
      std::string config;
      core::TextId text;
      bool retry;
    } cases[] = {{"OfflineMode=1\nSaleURL=" + server_->Url("/sale.html") +
                      "\nRemoteURL=" + server_->Url("/remote.html") +
                      "\nRemoteHelpURL=" + server_->Url("/help.html"),
                  core::TextId::kOfflinePage, false},
                 {"SaleURL=\nRemoteURL=\nRemoteHelpURL=", core::TextId::kNoPageAddress, false},
                 {"SaleURL=" + dead + "\nRemoteURL=" + dead + "\nRemoteHelpURL=" + dead,
                  core::TextId::kPageLoadFailed, true}};
    const auto requests = [this] {
      return server_->server().RequestCount("/sale.html") +
             server_->server().RequestCount("/remote.html") +
             server_->server().RequestCount("/help.html");
    };
    for (const Case& c : cases) {
      uitest::WriteConfig(c.config);
      const auto before = requests();
      auto* sale = new ui::SaleWnd;
      sale->Create(nullptr, "SALEWND", false);
      sale->show();
      auto* remote = new ui::RemoteDiagWnd;
      remote->Create(nullptr, "REMOTEDIAG", false);
      remote->show();
      uitest::Click(remote, "btnTabRemoteHelp");
      const QString expected = QString::fromStdString(core::Text(c.text)).section("%s", 0, 0);
      for (ui::WebBrowser* browser : {sale->browser(), remote->browser()}) {
        QTRY_VERIFY_WITH_TIMEOUT(browser->noticeText().startsWith(expected), 30000);
        QCOMPARE(browser->retryOffered(), c.retry);
        if (c.retry) QVERIFY(browser->noticeText().contains(QString::fromStdString(dead)));
      }
      QCOMPARE(requests(), before);
      if (c.text == core::TextId::kOfflinePage)
        QVERIFY(!sale->browser()->findChild<QWebEngineView*>());
      delete remote;
      delete sale;
    }
    // A later load that works replaces the local page.
    auto* sale = new ui::SaleWnd;
    uitest::WriteConfig("SaleURL=" + dead);
    sale->Create(nullptr, "SALEWND", false);
    sale->show();
    QTRY_VERIFY_WITH_TIMEOUT(sale->browser()->retryOffered(), 30000);
    QSignalSpy finished(sale->browser()->view(), &QWebEngineView::loadFinished);
    sale->browser()->Navigate(QString::fromStdString(server_->Url("/remote.html")));
    QVERIFY(finished.wait(30000));
    QTRY_VERIFY(sale->browser()->noticeText().isEmpty());
    delete sale;
  }

  // The remote page: the first tab selected and loaded; every tab click navigates again.
  void remoteTabsNavigateEveryTime() {
    auto* page = new ui::RemoteDiagWnd;
    page->Create(nullptr, "REMOTEDIAG", false);
    page->show();
    QSignalSpy finished(page->browser()->view(), &QWebEngineView::loadFinished);
    QVERIFY(finished.wait(30000));
    QCOMPARE(page->browser()->view()->title(), QString("remote"));
    ui::Control* remote = page->FindControl("btnTabRemote");
    ui::Control* help = page->FindControl("btnTabRemoteHelp");
    const auto selected = [](ui::Control* tab) {
      return tab->look().bk == QColor::fromRgba(ui::RemoteDiagWnd::kSelectedBk) &&
             tab->look().text == QColor::fromRgba(ui::kTextOnAccent);
    };
    const auto plain = [](ui::Control* tab) {
      return tab->look().bk == QColor(Qt::white) && tab->look().text == QColor(Qt::black);
    };
    QVERIFY(selected(remote) && plain(help));
    struct Step {
      const char* tab;
      const char* title;
    } steps[] = {
        {"btnTabRemoteHelp", "help"}, {"btnTabRemoteHelp", "help"}, {"btnTabRemote", "remote"}};
    int loads = 1;
    for (const Step& step : steps) {
      uitest::Click(page, step.tab);
      const bool helpTab = QString(step.tab) == "btnTabRemoteHelp";
      QVERIFY(selected(helpTab ? help : remote) && plain(helpTab ? remote : help));
      QTRY_COMPARE_WITH_TIMEOUT(finished.count(), loads + 1, 30000);
      ++loads;
      QCOMPARE(page->browser()->view()->title(), QString(step.title));
    }
    QCOMPARE(server_->server().RequestCount("/help.html"), 2);
    QVERIFY(!AnyDialogShown());
    delete page;
  }

 private:
  const apps::ZSPSManager& Links() {
    const std::string path = scratch_ / "sps.xml";
    platform::WriteFile(
        path,
        "<SPS>"
        "<ITEM><ID>1</ID><NAME>D</NAME><DESC>Dealer portal</DESC>"
        "<URL>https://dealer.invalid/login</URL><AUTH>1</AUTH></ITEM>"
        "<ITEM><ID>2</ID><NAME>O</NAME><DESC>Open data</DESC>"
        "<URL>http://open.invalid/data</URL><AUTH>0</AUTH></ITEM>"
        "<ITEM><ID>2</ID><NAME>S</NAME><DESC>Same number</DESC>"
        "<URL>http://other.invalid/</URL><AUTH></AUTH></ITEM>"
        "<ITEM><ID>3</ID><NAME>F</NAME><DESC>Local file</DESC>"
        "<URL>file:///etc/passwd</URL><AUTH>0</AUTH></ITEM>"
        "<ITEM><ID>x</ID><NAME /><DESC /><URL>javascript:alert(1)</URL><AUTH /></ITEM>"
        "</SPS>");
    links_.DeleteAll();
    [&] { QVERIFY(links_.LoadFromFile(path)); }();
    return links_;
  }
  ui::SPSWnd* Page(const apps::ZSPSManager* links) {
    auto* page = new ui::SPSWnd(links);
    page->Create(nullptr, "SPSWND", false);
    page->show();
    return page;
  }
  // The opened addresses in sorted order: the openers run side by side.
  std::string Opened() const {
    QStringList lines = QString::fromStdString(platform::ReadFile(opened_).value_or(""))
                            .split('\n', Qt::SkipEmptyParts);
    lines.sort();
    return lines.join('\n').toStdString();
  }

  testing_support::TempFolder scratch_;
  std::unique_ptr<testing_support::ServedFolder> server_;
  apps::ZSPSManager links_;
  std::string opened_;
};

}  // namespace

int RunLinkPageTests(int argc, char** argv) {
  LinkPageTests tests;
  return QTest::qExec(&tests, argc, argv);
}

#include "LinkPageTests.moc"
