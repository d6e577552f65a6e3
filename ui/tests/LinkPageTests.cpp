// The SPS page and the two web pages, built from the real skins.
#include <QDialog>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineView>

#include "apps/ZSPSManager.h"
#include "core/ProgramTexts.h"
#include "tests/support/ServedFolder.h"
#include "tests/support/TempFolder.h"
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
  }
  void init() {
    uitest::WriteConfig(Addresses());
    uitest::ForgetOpenedAddresses();
  }

  // Every item a row, an unreadable number as 0. Choosing a row opens its link: by number,
  // so two rows of one number open the first; addresses that are not web pages are not
  // handed on.
  void spsOpensTheChosenLink() {
    testing_support::TempFolder scratch;
    apps::ZSPSManager links;
    QVERIFY(links.LoadFromFile(scratch.Put(
        "sps.xml",
        "<SPS><ITEM><ID>1</ID><NAME>D</NAME><DESC>Dealer portal</DESC>"
        "<URL>https://dealer.invalid/login</URL><AUTH>1</AUTH></ITEM>"
        "<ITEM><ID>2</ID><NAME>O</NAME><DESC>Open data</DESC>"
        "<URL>http://open.invalid/data</URL><AUTH>0</AUTH></ITEM>"
        "<ITEM><ID>2</ID><NAME>S</NAME><DESC>Same number</DESC>"
        "<URL>http://other.invalid/</URL><AUTH></AUTH></ITEM>"
        "<ITEM><ID>3</ID><NAME>F</NAME><DESC>Local file</DESC>"
        "<URL>file:///etc/passwd</URL><AUTH>0</AUTH></ITEM>"
        "<ITEM><ID>x</ID><NAME /><DESC /><URL>javascript:alert(1)</URL><AUTH /></ITEM></SPS>")));
    auto* page = uitest::ShowNew<ui::SPSWnd>("SPSWND", &links);
    auto* list = page->Find<ui::List>("lstSPS");
    QStringList rows;
    for (int i = 0; i < list->GetCount(); ++i)
      rows << list->GetItemAt(i)->GetText(0) + " " + list->GetItemAt(i)->GetText(3);
    QCOMPARE(rows, QStringList({"1 Yes", "2 No", "2 No", "3 No", "0 No"}));
    UITEST_VERIFY_READABLE(page, "SPS page");
    for (int row : {0, 2, 3, 4, 1}) {
      QTest::mouseClick(list->GetItemAt(row), Qt::LeftButton);
      QCOMPARE(list->GetCurSel(), row);
    }
    const std::string expected =
        "http://open.invalid/data\nhttp://open.invalid/data\nhttps://dealer.invalid/login";
    QTRY_COMPARE(uitest::OpenedAddresses(), expected);
    QTest::qWait(100);  // nothing more arrives
    QCOMPARE(uitest::OpenedAddresses(), expected);

    // By keyboard: the arrows move without opening anything, Enter opens the row.
    uitest::ForgetOpenedAddresses();
    list->setFocus();
    for (int i = 0; i < 3; ++i) QTest::keyClick(list, Qt::Key_Up);
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->cursor(), 1);
    QTest::qWait(100);
    QCOMPARE(uitest::OpenedAddresses(), std::string());
    QTest::keyClick(list, Qt::Key_Return);
    QTRY_COMPARE(uitest::OpenedAddresses(), std::string("http://open.invalid/data"));
    QCOMPARE(list->GetCurSel(), 1);
    delete page;
  }

  void spsWithoutCatalogue() {
    auto* page = uitest::ShowNew<ui::SPSWnd>("SPSWND", nullptr);
    QCOMPARE(page->Find<ui::List>("lstSPS")->GetCount(), 0);
    QVERIFY(!page->OpenRow(0));
    delete page;
  }

  // The sale page loads its address once, silently: the script's alert, confirm and prompt
  // return at once and no dialog box appears.
  void salePageLoadsSilently() {
    auto* page = uitest::ShowNew<ui::SaleWnd>("SALEWND");
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
    } cases[] = {{"OfflineMode=1\n" + Addresses(), core::TextId::kOfflinePage, false},
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
      auto* sale = uitest::ShowNew<ui::SaleWnd>("SALEWND");
      auto* remote = uitest::ShowNew<ui::RemoteDiagWnd>("REMOTEDIAG");
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
    uitest::WriteConfig("SaleURL=" + dead);
    auto* sale = uitest::ShowNew<ui::SaleWnd>("SALEWND");
    QTRY_VERIFY_WITH_TIMEOUT(sale->browser()->retryOffered(), 30000);
    QSignalSpy finished(sale->browser()->view(), &QWebEngineView::loadFinished);
    sale->browser()->Navigate(QString::fromStdString(server_->Url("/remote.html")));
    QVERIFY(finished.wait(30000));
    QTRY_VERIFY(sale->browser()->noticeText().isEmpty());
    delete sale;
  }

  // The remote page: the first tab selected and loaded; every tab click navigates again.
  void remoteTabsNavigateEveryTime() {
    auto* page = uitest::ShowNew<ui::RemoteDiagWnd>("REMOTEDIAG");
    QSignalSpy finished(page->browser()->view(), &QWebEngineView::loadFinished);
    QVERIFY(finished.wait(30000));
    QCOMPARE(page->browser()->view()->title(), QString("remote"));
    int loads = 1;
    for (const char* tab : {"btnTabRemoteHelp", "btnTabRemoteHelp", "btnTabRemote"}) {
      uitest::Click(page, tab);
      ++loads;
      QTRY_COMPARE_WITH_TIMEOUT(finished.count(), loads, 30000);
      QCOMPARE(page->browser()->view()->title(),
               QString(QString(tab).endsWith("Help") ? "help" : "remote"));
    }
    QCOMPARE(server_->server().RequestCount("/help.html"), 2);
    QVERIFY(!AnyDialogShown());
    delete page;
  }

 private:
  std::string Addresses() const {
    return "SaleURL=" + server_->Url("/sale.html") + "\nRemoteURL=" + server_->Url("/remote.html") +
           "\nRemoteHelpURL=" + server_->Url("/help.html");
  }
  std::unique_ptr<testing_support::ServedFolder> server_;
};

}  // namespace

UITEST_RUNNER(LinkPageTests)

#include "LinkPageTests.moc"
