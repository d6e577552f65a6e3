// The window layer and the common windows: attributes, the message window, the progress
// window, and changes carried over from worker threads.
#include <QImage>
#include <QTest>
#include <atomic>
#include <numeric>
#include <thread>

#include "core/ForwardingInteraction.h"
#include "platform/Clock.h"
#include "ui/CProgressWnd.h"
#include "ui/CTipWnd.h"
#include "ui/Controls.h"
#include "ui/DeviceBaseWnd.h"
#include "ui/GuiInteraction.h"
#include "ui/UiThread.h"
#include "ui/WindowView.h"
#include "ui/tests/UiTestSupport.h"

namespace {

class WindowTests : public QObject {
  Q_OBJECT

 private slots:
  // The message window's answer by type (0: OK only, 1: OK-Cancel) when it is closed, left
  // with Escape, or answered with Enter one step back from OK. Its buttons and Enter on OK
  // answer the procedure's questions below.
  void tipResults() {
    const struct {
      int type;
      QString action;
      int result;
    } cases[] = {{1, "close", 1}, {1, "Escape", 2}, {0, "Escape", 1}, {1, "Backtab", 2}};
    for (const auto& c : cases) {
      bool hadCancel = false;
      uitest::WhenShown("CUSCFG", [&](QWidget* w) {
        auto* window = static_cast<ui::WindowImplBase*>(w);
        QCOMPARE(window->FindControl("textTip")->text(), QString("Confirm device config !"));
        hadCancel = window->FindControl("btnCancel") != nullptr;
        QWidget* ok = window->FindControl("btnClose")->widget();
        if (c.action == "close") {
          window->close();
        } else if (c.action == "Escape") {
          QTest::keyClick(ok, Qt::Key_Escape);
        } else {
          // The focus starts on OK; one step back is Cancel, which Enter then presses.
          QTest::keyClick(ok, Qt::Key_Backtab);
          QTest::keyClick(w->focusWidget(), Qt::Key_Return);
        }
      });
      QCOMPARE(ui::CTipWnd::Show(nullptr, "CUSCFG", "Confirm device config !", c.type), c.result);
      QCOMPARE(hadCancel, c.type == 1);
    }
  }

  // The window passes the owner's end to its ticker (whose rule is tested on its own).
  void progressWindowClosesWhenItsOwnerIsDone() {
    platform::ScaledClock fast(0.002);  // a tick every 2 ms
    platform::SetClock(&fast);
    std::atomic<bool> done{false};
    auto* window = new ui::CProgressWnd("tip", "title", "step", 5, &done);
    window->SetTickObserver([&](int n) { done = done || n == 2; });
    window->Create(nullptr, "HWRSTWND", false);
    QCOMPARE(window->FindControl("labelTitle")->text(), QString("title"));
    window->ShowModal();
    platform::SetClock(nullptr);
    QCOMPARE(window->ticks(), 3);
    QCOMPARE(window->barValue(), 5);
  }

  void workerChangesArriveInOrder() {
    auto* window = new ui::DeviceBaseWnd("TipWnd.xml");
    window->Create(nullptr, "ORDER", false);
    constexpr int kChanges = 400;
    std::vector<int> seen, inOrder(kChanges);
    std::iota(inOrder.begin(), inOrder.end(), 0);
    bool offThread = false;
    std::thread worker([&] {
      for (int i = 0; i < kChanges; ++i)
        window->PostToControl("textTip", [&, i](ui::Control& c) {
          offThread = offThread || !ui::IsUiThread();
          c.SetText(QString::number(i));
          seen.push_back(i);
        });
    });
    worker.join();
    QTRY_COMPARE(int(seen.size()), kChanges);
    QVERIFY(!offThread);
    QVERIFY(seen == inOrder);
    window->Close();
  }

  // A procedure on a worker: what it shows lands in the window that started it, never in the
  // one in front, and its questions wait for the answer.
  void procedureOnAWorker() {
    ui::GuiInteraction gui;
    auto* starter = uitest::ShowNew<ui::DeviceBaseWnd>("STARTER", "ProgressWnd.xml");
    ui::WindowView view(*starter, "textTip", "tipProgress");
    core::ForwardingInteraction procedureUi(gui, view);
    auto* front = uitest::ShowNew<ui::DeviceBaseWnd>("FRONT", "ProgressWnd.xml");
    front->activateWindow();
    QTRY_VERIFY(front->isActiveWindow());
    const auto shows = [](ui::DeviceBaseWnd* w) {
      auto* bar = w->Find<ui::Progress>("tipProgress");
      return w->FindControl("textTip")->text() + "|" + w->FindControl("labelStep")->text() + "|" +
             QString::number(bar->GetValue()) + "/" + QString::number(bar->GetMaxValue());
    };
    const QString frontBefore = shows(front);
    QString shownWhenAsked;
    uitest::WhenShown("LUWNDTIP", [&](QWidget* w) {
      shownWhenAsked = shows(starter);
      uitest::Click(w, "btnCancel");
    });
    // The procedures' message boxes are message windows too, answered with the keys.
    uitest::WhenShown("Update", [](QWidget* w) {
      QTest::keyClick(static_cast<ui::WindowImplBase*>(w)->FindControl("btnClose")->widget(),
                      Qt::Key_Return);
    });
    std::atomic<int> answer{0};
    std::atomic<bool> boxOk{false}, finished{false};
    std::thread worker([&] {
      gui.SetStatus("no window of its own");
      procedureUi.SetStatus("Checking DoIP system status...");
      procedureUi.SetLabel("labelStep", "step 2");
      procedureUi.SetProgress(30, 120);
      answer = procedureUi.ShowTip("LUWNDTIP", "Sure unlock device?", 1);
      boxOk = procedureUi.AskOkCancel("Update now?", "Update", core::MessageIcon::None);
      finished = true;
    });
    QTRY_VERIFY(finished.load());
    worker.join();
    QVERIFY(answer == 2 && boxOk);
    QCOMPARE(shownWhenAsked, QString("Checking DoIP system status...|step 2|30/120"));
    QCOMPARE(shows(front), frontBefore);
    front->Close();
    starter->Close();
  }

  void imageDrawsIntoItsDestination() {
    auto* window = new ui::DeviceBaseWnd("TipWnd2.xml");
    window->Create(nullptr, "IMAGE", false);
    ui::Control* text = window->FindControl("textTip");
    text->SetText("");
    QVERIFY(text->SetAttribute("bkcolor", "#FFFFFFFF"));
    QVERIFY(text->SetAttribute("bkimage", "file='conn_usb.png' dest='10,10,42,42'"));
    text->widget()->resize(200, 100);
    const QImage image = text->widget()->grab().toImage();
    QCOMPARE(image.pixelColor(5, 5), QColor(Qt::white));     // outside the destination
    QCOMPARE(image.pixelColor(60, 30), QColor(Qt::white));   // right of it
    QVERIFY(image.pixelColor(26, 26) != QColor(Qt::white));  // inside: the picture
    window->Close();
  }

  void missingLayoutGivesAnEmptyWindow() {
    auto* window = new ui::DeviceBaseWnd("NoSuchWnd.xml");
    QVERIFY(window->Create(nullptr, "EMPTY", false));
    QVERIFY(!window->FindControl("btnClose"));
    window->Close();
  }
};

}  // namespace

UITEST_RUNNER(WindowTests)

#include "WindowTests.moc"
