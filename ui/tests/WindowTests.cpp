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
  // The message window's answer by type (0: OK only, 1: OK-Cancel) and how it was closed.
  void tipResults() {
    const struct {
      int type;
      QString action;
      int result;
    } cases[] = {{1, "btnClose", 1},     {1, "btnCancel", 2},    {0, "btnClose", 1},
                 {0, "system close", 1}, {1, "system close", 1}, {1, "key Enter", 1},
                 {1, "key Escape", 2},   {0, "key Escape", 1},   {1, "tab Enter", 2}};
    for (const auto& c : cases) {
      bool hadCancel = false;
      uitest::WhenShown("CUSCFG", [&](QWidget* w) {
        auto* window = static_cast<ui::WindowImplBase*>(w);
        QCOMPARE(window->FindControl("textTip")->text(), QString("Confirm device config !"));
        hadCancel = window->FindControl("btnCancel") != nullptr;
        if (c.action == "system close") {
          window->close();
        } else if (c.action.startsWith("key ")) {
          QTest::keyClick(window->FindControl("btnClose")->widget(),
                          c.action.endsWith("Enter") ? Qt::Key_Return : Qt::Key_Escape);
        } else if (c.action == "tab Enter") {
          // The focus starts on OK; one step back is Cancel, which Enter then presses.
          QTest::keyClick(window->FindControl("btnClose")->widget(), Qt::Key_Backtab);
          QTest::keyClick(w->focusWidget(), Qt::Key_Return);
        } else {
          uitest::Click(w, c.action);
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
    std::vector<int> seen;
    bool offThread = false;
    constexpr int kChanges = 400;
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
    std::vector<int> inOrder(kChanges);
    std::iota(inOrder.begin(), inOrder.end(), 0);
    QVERIFY(seen == inOrder);
    QCOMPARE(window->FindControl("textTip")->text(), QString::number(kChanges - 1));
    window->Close();
  }

  void workerQuestionWaitsForTheAnswer() {
    ui::GuiInteraction gui;
    auto* status = uitest::ShowNew<ui::DeviceBaseWnd>("STATUS", "ProgressWnd.xml");
    ui::WindowView view(*status);
    core::ForwardingInteraction interaction(gui, view);
    QString labelWhenAsked;
    uitest::WhenShown("LUWNDTIP", [&](QWidget* w) {
      labelWhenAsked = status->FindControl("labelStep")->text();
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
      interaction.SetLabel("labelStep", "before the question");
      answer = interaction.ShowTip("LUWNDTIP", "Sure unlock device?", 1);
      boxOk = interaction.AskOkCancel("Update now?", "Update", core::MessageIcon::None);
      finished = true;
    });
    QTRY_VERIFY(finished.load());
    worker.join();
    QCOMPARE(answer.load(), 2);
    QVERIFY(boxOk.load());
    QCOMPARE(labelWhenAsked, QString("before the question"));
    status->Close();
  }

  // What a procedure shows lands in the window that started it, never in the one in front.
  void procedureViewStaysInItsWindow() {
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
    std::thread worker([&] {
      gui.SetStatus("no window of its own");
      procedureUi.SetStatus("Checking DoIP system status...");
      procedureUi.SetLabel("labelStep", "step 2");
      procedureUi.SetProgress(30, 120);
    });
    worker.join();
    QTRY_COMPARE(shows(starter), QString("Checking DoIP system status...|step 2|30/120"));
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
