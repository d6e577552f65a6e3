// The SPS page and the two web pages, built from the real skins.
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

class LinkPageTests : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    server_ =
        std::make_unique<testing_support::ServedFolder>(testing_support::VciSim::UniqueAddress());
    QVERIFY(server_->started());
    server_->Put("remote.html", kNoisyPage);
    server_->Put("help.html", "<html><head><title>help</title></head><body>H</body></html>");
  }
  void init() {
    uitest::WriteConfig(Addresses());
    uitest::ForgetOpenedAddresses();
  }

  // Every item a row. Choosing a row opens its link: by number, so two rows of one number
  // open the first; addresses that are not web pages are not handed on.
  void spsOpensTheChosenLink() {
    testing_support::TempFolder scratch;
    apps::ZSPSManager links;
    QVERIFY(links.LoadFromFile(scratch.Put(
        "sps.xml",
        "<SPS><ITEM><ID>1</ID><DESC>Dealer portal</DESC><URL>https://dealer.invalid/login</URL>"
        "<AUTH>1</AUTH></ITEM><ITEM><ID>2</ID><URL>http://open.invalid/data</URL><AUTH>0</AUTH>"
        "</ITEM><ITEM><ID>2</ID><URL>http://other.invalid/</URL><AUTH></AUTH></ITEM>"
        "<ITEM><ID>x</ID><URL>javascript:alert(1)</URL><AUTH /></ITEM></SPS>")));
    auto* page = uitest::ShowNew<ui::SPSWnd>("SPSWND", &links);
    auto* list = page->Find<ui::List>("lstSPS");
    QStringList rows;
    for (int i = 0; i < list->GetCount(); ++i)
      rows << list->GetItemAt(i)->GetText(0) + " " + list->GetItemAt(i)->GetText(3);
    QCOMPARE(rows, QStringList({"1 Yes", "2 No", "2 No", "0 No"}));
    UITEST_VERIFY_READABLE(page, "SPS page");
    for (int row : {0, 2, 3, 1}) QTest::mouseClick(list->GetItemAt(row), Qt::LeftButton);
    QTRY_COMPARE(uitest::OpenedAddresses(),
                 std::string("http://open.invalid/data\nhttp://open.invalid/data\n"
                             "https://dealer.invalid/login"));

    // By keyboard: the arrows move without opening anything, Enter opens the row.
    uitest::ForgetOpenedAddresses();
    list->setFocus();
    for (int i = 0; i < 3; ++i) QTest::keyClick(list, Qt::Key_Up);
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->cursor(), 1);
    QTest::keyClick(list, Qt::Key_Return);  // only this row: the arrows opened nothing
    QTRY_COMPARE(uitest::OpenedAddresses(), std::string("http://open.invalid/data"));
    delete page;
    page = uitest::ShowNew<ui::SPSWnd>("SPSWND", nullptr);  // no catalogue: no rows
    QVERIFY(page->Find<ui::List>("lstSPS")->GetCount() == 0 && !page->OpenRow(0));
    delete page;
  }

  // Where no page can be shown, a local page says why, in the program's language: offline
  // (no request at all, the engine not even started), no address, or a failed load, which
  // offers to try again.
  void pagesThatCannotLoadSayWhy() {
    const std::string dead = "http://" + testing_support::VciSim::UniqueAddress() + ":9/";
    const std::tuple<std::string, core::TextId, bool> cases[] = {
        {"OfflineMode=1\n" + Addresses(), core::TextId::kOfflinePage, false},
        {"SaleURL=\nRemoteURL=\nRemoteHelpURL=", core::TextId::kNoPageAddress, false},
        {"SaleURL=" + dead + "\nRemoteURL=" + dead + "\nRemoteHelpURL=" + dead,
         core::TextId::kPageLoadFailed, true}};
    for (const auto& [config, text, retry] : cases) {
      uitest::WriteConfig(config);
      const int before = Requests();
      auto* sale = uitest::ShowNew<ui::SaleWnd>("SALEWND");
      auto* remote = uitest::ShowNew<ui::RemoteDiagWnd>("REMOTEDIAG");
      uitest::Click(remote, "btnTabRemoteHelp");
      const QString expected = QString::fromStdString(core::Text(text)).section("%s", 0, 0);
      for (ui::WebBrowser* browser : {sale->browser(), remote->browser()}) {
        QTRY_VERIFY_WITH_TIMEOUT(browser->noticeText().startsWith(expected), 30000);
        QCOMPARE(browser->retryOffered(), retry);
        if (retry) QVERIFY(browser->noticeText().contains(QString::fromStdString(dead)));
      }
      QCOMPARE(Requests(), before);
      if (text == core::TextId::kOfflinePage)
        QVERIFY(!sale->browser()->findChild<QWebEngineView*>());
      delete remote;
      delete sale;
    }
  }

  // The remote page: the first tab loaded once, silently (the script's alert, confirm and
  // prompt return at once: a dialog box would hold the script, and the title, until it is
  // answered); every tab click navigates again, showing it again does not.
  void remotePage() {
    auto* page = uitest::ShowNew<ui::RemoteDiagWnd>("REMOTEDIAG");
    QSignalSpy finished(page->browser()->view(), &QWebEngineView::loadFinished);
    QVERIFY(finished.wait(30000));
    QTRY_COMPARE(page->browser()->view()->title(), QString("done false null"));
    page->hide();
    page->show();
    int loads = 1;
    for (const char* tab : {"btnTabRemoteHelp", "btnTabRemoteHelp", "btnTabRemote"}) {
      uitest::Click(page, tab);
      ++loads;
      QTRY_COMPARE_WITH_TIMEOUT(finished.count(), loads, 30000);
      QTRY_COMPARE(page->browser()->view()->title(),
                   QString(QString(tab).endsWith("Help") ? "help" : "done false null"));
    }
    QCOMPARE(Requests(), 4);
    delete page;
  }

 private:
  int Requests() {
    return server_->server().RequestCount("/sale.html") +
           server_->server().RequestCount("/remote.html") +
           server_->server().RequestCount("/help.html");
  }
  std::string Addresses() const {
    return "SaleURL=" + server_->Url("/sale.html") + "\nRemoteURL=" + server_->Url("/remote.html") +
           "\nRemoteHelpURL=" + server_->Url("/help.html");
  }
  std::unique_ptr<testing_support::ServedFolder> server_;
};

}  // namespace

UITEST_RUNNER(LinkPageTests)

#include "LinkPageTests.moc"
